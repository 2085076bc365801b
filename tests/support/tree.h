// Whole-tree fixtures for engine tests: build a tree from a table, and take a snapshot of every
// entry (kind, content, link target) to compare trees or prove one unchanged.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace testing_support {

// "path" -> content makes a file; a path ending in "/" makes a directory. "/" separates names.
using TreeSpec = std::vector<std::pair<std::string, std::string>>;
void BuildTree(const std::string& root, const TreeSpec& spec);

// relative path ("/"-separated) -> "dir", "file:<content>", "link:<target>" or "other"; a file
// above 16 MiB is recorded by its size only.
using Snapshot = std::map<std::string, std::string>;
Snapshot TakeSnapshot(const std::string& root);

} // namespace testing_support
