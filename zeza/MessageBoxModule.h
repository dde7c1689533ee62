#pragma once

#include <cstdlib>

// The interface of zeza's message-box module, a Qt plug-in that zeza loads
// only when it has something to show: Qt's libraries would otherwise cost
// every run some 14 MiB of memory and a good part of its start-up time.
extern "C" {

// Starts Qt for `programName` and returns its handle, or null when no
// display can be reached (none set, or one that does not answer).
void* ZezaBoxOpen(const char* programName);

// A modal box with one OK button; returns when the user has pressed it.
void ZezaBoxShow(void* handle, const char* title, const char* text);

void ZezaBoxClose(void* handle);
}

inline constexpr const char* kZezaBoxModuleName = "zeza-messagebox.so";

// True when the environment variable `name` holds something. zeza and its
// module both ask it of DISPLAY and WAYLAND_DISPLAY: whether a display may be
// reached at all.
inline bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}
