// Path names taken apart and put together by their text: paths are POSIX paths of UTF-8
// bytes in which "/" alone separates folders (a colon or a backslash is part of a name). One
// definition for every reader, writer and command, so that a bare name, the root folder and
// an extension mean the same wherever a path is cut. Nothing here looks at the file system,
// except that absolute paths are made against the process's current folder.
#pragma once

#include <string>

namespace varnel {

// What precedes the last "/" of `path`: "/" for a file in the root folder, empty for a bare
// name, which names no folder (a file dialog then opens where it likes, a sheet's names stay
// as they are written).
std::string FolderOf(const std::string& path);

// FolderOf, but "." (the current folder) for a bare name: the folder a file of that name is
// in, for a caller that creates, locks or opens that folder.
std::string FolderOrCurrent(const std::string& path);

// What follows the last "/" of `path` (all of it for a bare name).
std::string FileNamePart(const std::string& path);

// The extension of the file-name part: from its last "." on, letter case kept; empty when
// the name has no ".".
std::string ExtensionOf(const std::string& path);
// ExtensionOf with the letters A to Z lower-cased, for telling kinds of file apart.
std::string LowerExtensionOf(const std::string& path);

// `path` with its extension replaced by `extension` (added when it has none). A path that
// already ends in exactly `extension` gets it a second time, so the result never names the
// file `path` names.
std::string WithExtension(const std::string& path, const std::string& extension);

// `name` as a path from `folder`: unchanged when it is empty or absolute, or when `folder`
// is empty (a bare name stays bare); otherwise joined to the folder with one "/".
std::string PathFromFolder(const std::string& folder, const std::string& name);

// `path` made absolute against the current folder, otherwise as written ("." and ".."
// kept); "/" stands for a current folder that cannot be read (it was removed).
std::string AbsolutePath(const std::string& path);

// AbsolutePath with empty and "." components dropped and ".." applied (".." of the root is
// the root), without a trailing "/": "/" for the root itself.
std::string NormalAbsolutePath(const std::string& path);

// `path` as seen from `folder`, both taken as NormalAbsolutePath: "../" for each component of
// the folder that the path does not share, then the path's own remaining components, so a
// file in the folder is its bare name. Components compare exactly (names are case-sensitive).
// `path` unchanged when it names the root.
std::string RelativePath(const std::string& path, const std::string& folder);

}  // namespace varnel
