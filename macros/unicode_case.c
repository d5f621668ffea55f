/* Compiled with PCRE2's configuration: its internal header gives the
   Unicode tables its caseless matching uses. A letter's "other case" there is
   one member of its set of caseless equivalents, not always the one of the
   case asked for (Greek iota's is the combining ypogegrammeni), so the set is
   searched for a letter of that case when it is not. */
#ifdef HAVE_CONFIG_H
#include "config.h"
#endif
#include "pcre2_internal.h"
#include "macros/unicode_case.h"

uint32_t vorlane_case_mapped(uint32_t c, int upper) {
  const uint32_t want = upper ? ucp_Lu : ucp_Ll;
  if (c > MAX_UTF_CODE_POINT || UCD_CATEGORY(c) != ucp_L || UCD_CHARTYPE(c) == want) return c;
  const uint32_t other = UCD_OTHERCASE(c);
  if (other != c && UCD_CHARTYPE(other) == want) return other;
  const uint32_t set = UCD_CASESET(c);
  if (set != 0)
    for (const uint32_t *p = PRIV(ucd_caseless_sets) + set; *p != NOTACHAR; ++p)
      if (*p != c && UCD_CHARTYPE(*p) == want) return *p;
  return c;
}

int vorlane_is_letter_or_digit(uint32_t c) {
  if (c > MAX_UTF_CODE_POINT) return 0;
  const uint32_t category = UCD_CATEGORY(c);
  return category == ucp_L || category == ucp_N;
}
