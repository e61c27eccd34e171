#include "burn/CdrdaoArguments.h"

namespace varnel {

std::vector<std::string> CdrdaoWriteArguments(const CdrdaoWrite& w) {
  std::vector<std::string> a = {
      "cdrdao", w.Simulate ? "simulate" : "write", "--device", w.Device, "-n", "-v", "2"};
  if (w.Eject) a.push_back("--eject");
  if (w.Speed > 0) {
    a.push_back("--speed");
    a.push_back(std::to_string(w.Speed));
  }
  if (w.HasCdText && NeedsCdTextDriverOption(w.Version)) {
    a.push_back("--driver");
    a.push_back("generic-mmc:0x10");
  }
  a.push_back("--remote");
  a.push_back(std::to_string(w.RemoteFd));
  a.push_back(w.TocName);
  return a;
}

std::vector<std::string> CdrdaoDiskInfoArguments(const std::string& device) {
  return {"cdrdao", "disk-info", "--device", device};
}

std::vector<std::string> CdrdaoVersionArguments() {
  return {"cdrdao", "version"};
}

std::vector<std::string> CdrdaoBlankArguments(const std::string& device, int remoteFd) {
  return {"cdrdao", "blank",        "--device",
          device,   "--blank-mode", "minimal",
          "-n",     "--remote",     std::to_string(remoteFd)};
}

}  // namespace varnel
