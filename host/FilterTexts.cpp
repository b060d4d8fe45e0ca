#include "host/FilterTexts.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace tessel::host {

FilterTexts::FilterTexts() {
  char name[] = "/tmp/tessel-texts-XXXXXX";
  mFile = mkstemp(name);
  if (mFile < 0) return;
  unlink(name);
  std::fflush(stderr);
  mSaved = dup(STDERR_FILENO);
  if (mSaved < 0 || dup2(mFile, STDERR_FILENO) < 0) {
    if (mSaved >= 0) close(mSaved);
    close(mFile);
    mSaved = mFile = -1;
  }
}

FilterTexts::~FilterTexts() { Collect(); }

std::string FilterTexts::Collect() {
  if (mSaved < 0) return {};
  std::fflush(stderr);
  dup2(mSaved, STDERR_FILENO);
  close(mSaved);
  mSaved = -1;

  std::string text;
  char chunk[4096];
  ssize_t got = 0;
  lseek(mFile, 0, SEEK_SET);
  while ((got = read(mFile, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(got));
  close(mFile);
  mFile = -1;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace tessel::host
