// "/copyfiles": one copy of the setup per sales channel and two copies of the device cabinet,
// written into an "Upload" folder beside the setup, for the maker to hand to the stores.
#pragma once

#include <string>
#include <vector>

// The upload folder for a module path: everything up to its last backslash, then "Upload".
// Empty when the path has no backslash.
std::string UploadFolderFromModulePath(const std::string& modulePath);
// The six setup copies' paths in the order they are written: one per store suffix, then the
// maker's own with no suffix.
std::vector<std::string> ChannelCopyPaths(const std::string& uploadFolder, const std::string& productName);

void RunCopyMode();
