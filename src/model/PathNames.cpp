#include "model/PathNames.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace varnel {

namespace {

// The components of an absolute path, with empty ones and "." dropped and ".." applied.
std::vector<std::string> Components(const std::string& absolutePath) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= absolutePath.size()) {
    size_t slash = absolutePath.find('/', start);
    if (slash == std::string::npos) slash = absolutePath.size();
    const std::string part = absolutePath.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  return parts;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string FolderOrCurrent(const std::string& path) {
  return path.find('/') == std::string::npos ? "." : FolderOf(path);
}

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path) {
  const std::string name = FileNamePart(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? "" : name.substr(dot);
}

std::string LowerExtensionOf(const std::string& path) {
  std::string extension = ExtensionOf(path);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

std::string WithExtension(const std::string& path, const std::string& extension) {
  const std::string other = path.substr(0, path.size() - ExtensionOf(path).size()) + extension;
  return other == path ? path + extension : other;
}

std::string PathFromFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || name.empty() || name.front() == '/') return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::error_code ec;
  const std::filesystem::path current = std::filesystem::current_path(ec);
  return ec ? "/" + path : (current / path).string();
}

std::string NormalAbsolutePath(const std::string& path) {
  std::string normal;
  for (const std::string& part : Components(AbsolutePath(path))) normal += "/" + part;
  return normal.empty() ? "/" : normal;
}

std::string RelativePath(const std::string& path, const std::string& folder) {
  std::vector<std::string> target = Components(AbsolutePath(path));
  const std::vector<std::string> base = Components(AbsolutePath(folder));
  if (target.empty()) return path;
  const std::string name = target.back();
  target.pop_back();
  size_t shared = 0;
  while (shared < target.size() && shared < base.size() && target[shared] == base[shared]) {
    ++shared;
  }
  std::string result;
  for (size_t i = shared; i < base.size(); ++i) result += "../";
  for (size_t i = shared; i < target.size(); ++i) result += target[i] + "/";
  return result + name;
}

}  // namespace varnel
