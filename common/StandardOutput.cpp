#include "StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int checkedOutputStatus(const char* program, int status) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && std::ferror(stdout) == 0) return status;
  // An earlier write that failed leaves only the stream's error flag.
  const int error = errno;
  std::fprintf(stderr, "%s: standard output: %s\n", program,
               !flushed && error != 0 ? std::strerror(error) : "write error");
  return status >= 128 ? status : 2;
}
