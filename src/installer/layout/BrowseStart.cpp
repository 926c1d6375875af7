#include "installer/layout/BrowseStart.h"

namespace kavrix {
namespace {

// The length of the path's root: "C:\" (or "C:"), "\\server\share\", "\"; 0 for a
// relative path.
size_t RootLength(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && path[2] == '\\' ? 3 : 2;
  if (path.rfind("\\\\", 0) == 0) {
    const size_t server = path.find('\\', 2);
    if (server == std::string::npos) return path.size();
    const size_t share = path.find('\\', server + 1);
    return share == std::string::npos ? path.size() : share + 1;
  }
  return !path.empty() && path[0] == '\\' ? 1 : 0;
}

}  // namespace

std::string ParentDirectory(const std::string& path) {
  const size_t root = RootLength(path);
  std::string trimmed = path;
  while (trimmed.size() > root && trimmed.back() == '\\') trimmed.pop_back();
  if (trimmed.size() <= root) return {};
  const size_t slash = trimmed.find_last_of('\\');
  if (slash == std::string::npos || slash + 1 < root) return {};
  if (slash + 1 <= root) return trimmed.substr(0, root);
  return trimmed.substr(0, slash);
}

std::string BrowseStartDirectory(const std::string& destination, const std::vector<std::string>& fallbacks,
                                 const std::function<bool(const std::string&)>& exists) {
  for (std::string path = destination; !path.empty(); path = ParentDirectory(path)) {
    if (exists(path)) return path;
  }
  for (const std::string& fallback : fallbacks) {
    if (!fallback.empty() && exists(fallback)) return fallback;
  }
  return {};
}

}  // namespace kavrix
