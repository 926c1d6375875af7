#pragma once
// The product folder as the installer will carry it, checked before anything is packed,
// so that whatever a real folder holds ends the build with a one-line reason instead of
// a setup.exe that fails on the user's machine.

#include <string>
#include <vector>

namespace kavrix::payload {

struct ProductFolder {
  // Every file to pack, as a path through the folder: a symbolic link is named by its
  // own path, so it is stored under the link's name with the content of its target.
  std::vector<std::string> files;
  // Every folder walked, the product folder first; links to folders by their own path.
  std::vector<std::string> folders;
  // Folders with no file anywhere below them, only the topmost of each such subtree.
  // The archive holds files only, so these are not carried.
  std::vector<std::string> emptyFolders;
};

// Walks the folder `root` (sorted, so messages and results do not depend on the order the
// file system lists entries in) and checks every entry: symbolic links to files and
// folders inside it are followed; links that dangle, leave the folder or lead back into
// a folder that contains them, anything that is neither file nor folder, a file or folder
// that cannot be read, a name the archive cannot carry or Windows cannot install, a file
// larger than an archive entry, and files larger than an archive together each throw
// std::runtime_error with a one-line reason naming the path or the figure. So does a
// folder with no file at all.
ProductFolder ScanProductFolder(const std::string& root);

}  // namespace kavrix::payload
