// The Far 3 face: GetMsg over a UTF-8 language file.
#include "sim/far3/internal.h"

#include <fstream>
#include <iterator>
#include "macros/utf8.h"
#include "sim/far1/stand_in.h"

namespace sim {

const FarChar *Host3::GetMsg(const GUID *pluginId, intptr_t id) {
  static const FarChar empty[1] = {0};
  if (pluginId) getMsgPluginId = *pluginId;
  if (id < 0 || id >= static_cast<intptr_t>(messages.size())) return empty;
  return reinterpret_cast<const FarChar *>(messages[static_cast<size_t>(id)].c_str());
}

bool Host3::LoadLanguageFile(const std::string &path, const std::string &language) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  std::string lang;
  std::vector<std::string> parsed = Host::ParseLanguageFile(bytes, &lang);
  if (!language.empty() && lang != language) return false;
  messages.clear();
  for (const std::string &m : parsed) messages.push_back(Utf16(m));
  return true;
}

}  // namespace sim
