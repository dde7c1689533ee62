#include "StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int checkedOutputStatus(const char* program, int status) {
  // A write that failed before (more than a buffer's worth, written at once)
  // leaves the stream's error flag and, as nothing since has failed, its errno.
  const int before = errno;
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && std::ferror(stdout) == 0) return status;
  const int error = flushed ? before : errno;
  std::fprintf(stderr, "%s: standard output: %s\n", program,
               error != 0 ? std::strerror(error) : "write error");
  return status >= 128 ? status : 2;
}
