// `vorlane play --explain`: says, for each trigger key, what the plug-in
// decides and why, in a user's words; for either edition.
#pragma once

#include <string>
#include <vector>

#include "sim/far1/stand_in.h"
#include "sim/far3/stand_in.h"
#include "tools/check.h"

class Explainer {
public:
  // Where the macros come from: the file the plug-in reads, the name to show
  // for it, and whether it is read as the Far 3 edition reads it.
  void SetMacroFile(const std::string &path, const std::string &shownName, bool far3 = false);

  // The explanation for `rec` about to be typed into `host`, and whether the
  // plug-in should take the key (`*takes`, false on entry, set where it
  // should); empty when the event is no trigger key.
  std::string Before(const sim::Host &host, const INPUT_RECORD &rec, bool *takes) const;
  std::string Before(const sim::Host3 &host, const INPUT_RECORD &rec, bool *takes) const;
  // What a key just typed did besides: the mirrors it updated (Far 3).
  std::string After(const sim::Host &) const { return std::string(); }
  std::string After(const sim::Host3 &host) const;

private:
  // The sessions the plug-in had ended before the key: After() says why a
  // session the key ended did.
  mutable unsigned ends_ = 0;
  template <class HostT>
  std::string Explain(const HostT &host, unsigned c, WORD vk, bool *takes) const;
  template <class String>
  std::string Space(const String &text, int pos, const String &fileName, bool far3, bool *takes) const;
  template <class HostT>
  std::string CloseBrace(const HostT &host, bool *takes) const;
  template <class String>
  std::string Enter(const String &text, int pos, bool *takes) const;
  std::string FieldTab(const sim::Host3 &host, bool back, bool *takes) const;
  std::string TabMacro(const sim::Host3 &host, bool *takes) const;
  static bool IndentationOn();
  std::string Indentation(const sim::Host3 &host, const INPUT_RECORD &rec, bool *takes) const;

  std::vector<CheckedMacro> macros_;
  std::string shownName_;
};
