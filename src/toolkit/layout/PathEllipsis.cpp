#include "toolkit/layout/PathEllipsis.h"

#include <vector>

namespace kavrix {
namespace {

// The part that stays in front of the "...": "C:" of "C:\a\b", "\\server\share" of a
// network path, nothing of a relative one.
size_t PrefixLength(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return 2;
  if (path.rfind("\\\\", 0) == 0) {
    const size_t server = path.find('\\', 2);
    if (server == std::string::npos) return path.size();
    const size_t share = path.find('\\', server + 1);
    return share == std::string::npos ? path.size() : share;
  }
  return 0;
}

std::vector<std::string> SplitElements(const std::string& rest) {
  std::vector<std::string> elements;
  size_t start = 0;
  while (start <= rest.size()) {
    const size_t end = rest.find('\\', start);
    const std::string element = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!element.empty()) elements.push_back(element);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return elements;
}

}  // namespace

std::string ShortenPath(const std::string& path, int maxWidth, const TextWidthFunction& textWidth) {
  if (textWidth(path) <= maxWidth) return path;
  const size_t prefixLength = PrefixLength(path);
  const std::string prefix = path.substr(0, prefixLength);
  const std::vector<std::string> elements = SplitElements(path.substr(prefixLength));
  if (elements.size() < 2) return path;
  std::string candidate;
  for (size_t first = 1; first < elements.size(); ++first) {
    candidate = prefix + "\\...";
    for (size_t i = first; i < elements.size(); ++i) candidate += "\\" + elements[i];
    if (textWidth(candidate) <= maxWidth) break;
  }
  return candidate;
}

}  // namespace kavrix
