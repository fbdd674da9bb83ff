// Which file a name stands for, for the writers that must not replace an input
// and must write through a symbolic link rather than replace the link itself.
#pragma once

#include <string>

namespace qel::common {

// The file a write to `path` lands in: a symbolic link (or a chain of them) is
// followed to its target, which need not exist yet; any other name is returned
// as given.
std::string link_target(const std::string& path);

// Whether writing `b` would replace the regular file `a`: the same file (device
// and inode) when both exist, else the same path once made absolute, links
// resolved and ".." removed. Two names of one device (/dev/null) are no clash.
bool same_file(const std::string& a, const std::string& b);

}  // namespace qel::common
