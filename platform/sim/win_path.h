// Windows paths on the simulated disk: drive-letter paths, backslashes,
// names compared without regard to case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ocx::sim {

// The full path that `path` names when the current folder is `cwd` (itself
// a full path): "C:\x", "\x" (root of the current drive), "C:x" and "x"
// forms, "/" taken as "\", "." and ".." folded, doubled separators and a
// trailing one dropped, trailing dots and spaces of the last name removed
// unless it is a wildcard pattern. A drive root keeps its backslash ("C:\").
// Nothing for a path that names no drive (empty, UNC).
std::optional<std::string> resolveWinPath(std::string_view path, std::string_view cwd);

// "C:\a\b" -> "C:\a", "C:\a" -> "C:\", and "" for a drive root.
std::string parentPath(std::string_view fullPath);
// The last name: "C:\a\b" -> "b"; "" for a drive root.
std::string leafName(std::string_view fullPath);
bool isDriveRoot(std::string_view fullPath);
// Whether `fullPath` is `folder` itself or lies below it.
bool isAtOrBelow(std::string_view fullPath, std::string_view folder);

bool hasWildcards(std::string_view name);
// FindFirstFile's matching of one name: "*" any run, "?" one character,
// "*.*" everything; without regard to case.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// The key under which the disk keeps a full path.
std::string pathKey(std::string_view fullPath);

}  // namespace ocx::sim
