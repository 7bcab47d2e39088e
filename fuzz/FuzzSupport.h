#pragma once
// Shared by the fuzz targets: which exceptions count as a clean rejection of the input.

#include "platform/Exceptions.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

// Runs action; a stream or parser error is a clean rejection, anything else is a finding.
template <class Action>
bool RunCleanly(Action&& action) {
  try {
    action();
    return true;
  } catch (const EFilerError&) {
  } catch (const EParserError&) {
  } catch (const EComponentError&) {  // names in a stream that clash or are not identifiers
  }
  return false;
}

// The converters' own output must always be accepted again.
[[noreturn]] inline void ReportFinding(const char* what, const std::exception& e) {
  std::fprintf(stderr, "%s: %s\n", what, e.what());
  std::abort();
}
