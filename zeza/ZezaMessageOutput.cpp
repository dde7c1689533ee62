#include "ZezaMessageOutput.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "MessageBoxModule.h"

namespace {

// CR LF and lone CR end lines in zeza's texts; a box wants LF.
std::string withLineFeeds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

}  // namespace

ZezaMessageOutput::ZezaMessageOutput(std::string programName,
                                     std::vector<std::string> moduleFolders)
    : programName_(std::move(programName)), moduleFolders_(std::move(moduleFolders)) {}

ZezaMessageOutput::~ZezaMessageOutput() {
  if (boxes_ != nullptr) close_(boxes_);
  // The module stays loaded: Qt does not expect to be unloaded before exit.
}

bool ZezaMessageOutput::openBoxes() {
  if (triedBoxes_) return boxes_ != nullptr;
  triedBoxes_ = true;
  if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) return false;
  for (const std::string& folder : moduleFolders_) {
    module_ = ::dlopen((folder + "/" + kZezaBoxModuleName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_ != nullptr) break;
  }
  if (module_ == nullptr) return false;
  const auto open = reinterpret_cast<void* (*)(const char*)>(::dlsym(module_, "ZezaBoxOpen"));
  show_ = reinterpret_cast<decltype(show_)>(::dlsym(module_, "ZezaBoxShow"));
  close_ = reinterpret_cast<decltype(close_)>(::dlsym(module_, "ZezaBoxClose"));
  if (open == nullptr || show_ == nullptr || close_ == nullptr) return false;
  boxes_ = open(programName_.c_str());
  return boxes_ != nullptr;
}

void ZezaMessageOutput::ShowMessage(const std::string& text) {
  if (openBoxes()) {
    show_(boxes_, kZezaBanner, withLineFeeds(text).c_str());
    return;
  }
  print(text);
}

void ZezaMessageOutput::print(const std::string& text) {
  if (!bannerPrinted_) {
    std::fprintf(stderr, "%s\n", kZezaBanner);
    bannerPrinted_ = true;
  }
  // The text exactly as a box would get it, CR LF line ends included.
  std::fputs(text.c_str(), stderr);
  if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
  std::fflush(stderr);
}
