// `vorlane play --explain`: says, for each trigger key, what the plug-in
// decides and why, in a user's words.
#pragma once

#include <string>
#include <vector>

#include "far1/host.h"
#include "sim/host.h"
#include "tools/check.h"

class Explainer {
public:
  // Where the macros come from: the file the plug-in reads, and the name to
  // show for it.
  void SetMacroFile(const std::string &path, const std::string &shownName);

  // The explanation for `rec` about to be typed into `host`, and whether the
  // plug-in should take the key; empty when the event is no trigger key.
  std::string Before(const sim::Host &host, const INPUT_RECORD &rec, bool *takes) const;

private:
  std::string Space(const sim::Host &host, bool *takes) const;
  std::string CloseBrace(const sim::Host &host, bool *takes) const;
  std::string Enter(const sim::Host &host, bool *takes) const;

  std::vector<CheckedMacro> macros_;
  std::string shownName_;
};
