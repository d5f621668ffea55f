// Both faces: a plug-in that shows dialogs or message boxes without end in
// one call (one that reopens a dialog whatever the user answers) would hold a
// real user there for ever. The stand-in allows a bound number per call,
// refuses the rest as a host fault, and ends the session if the plug-in still
// does not stop.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace sim {

class ShowLimit {
public:
  static constexpr int Limit = 16;

  // Before each dialog or message box: false (the host refuses it) once more
  // than Limit were shown in this call.
  bool Allow(const char *what, std::vector<std::string> *faults) {
    ++shown_;
    if (shown_ <= Limit) return true;
    if (shown_ == Limit + 1)
      faults->push_back(std::string("the plug-in showed a ") + what + " more than " +
                        std::to_string(Limit) + " times in one call");
    if (shown_ > 4 * Limit) {
      std::fprintf(stderr, "vorlane play: the plug-in keeps showing a %s in one call; session ended\n", what);
      std::fflush(stderr);
      std::_Exit(3);
    }
    return false;
  }
  // When the plug-in's call returns.
  void CallEnded() { shown_ = 0; }

private:
  int shown_ = 0;
};

}  // namespace sim
