// The Far 3 face: FSF.ProcessName over the mask model of masks.h.
#include "sim/far3/internal.h"
#include "sim/far3/masks.h"

namespace sim {

size_t Host3::ProcessName(const FarChar *mask, const FarChar *name, Flags64 flags) {
  ++processNameCalls;
  const std::u16string list = TextOf(mask);
  const std::u16string subject = TextOf(name);
  const bool skipPath = (flags & far3::PN_SKIPPATH) != 0;
  const Flags64 mode = flags & 0xFF0000;
  bool valid = true;
  size_t result = 0;
  if (mode == far3::PN_CHECKMASK || mode == far3::PN_CMPNAMELIST) {
    // Far parses a list once and keeps it until another one comes.
    if (!lastMasks_ || lastMasks_->text() != list) lastMasks_.reset(new MaskList(list));
    valid = lastMasks_->valid();
    result = mode == far3::PN_CHECKMASK ? valid : lastMasks_->Matches(subject, skipPath);
  } else if (mode == far3::PN_CMPNAME) {
    result = MaskMatches(list, subject, skipPath) ? 1 : 0;
  }
  if (!valid && (flags & far3::PN_SHOWERRORMESSAGE)) {
    MessageCall3 call;
    call.flags = far3::FMSG_WARNING | far3::FMSG_MB_OK;
    call.lines = {u"Warning", u"File-mask string contains errors"};
    messageBoxes.push_back(call);
  }
  return result;
}

}  // namespace sim
