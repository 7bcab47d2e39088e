#pragma once
// Small helpers for the diagram's element lists (each element is listed at most once).

#include <algorithm>
#include <vector>

template <class T>
bool Contains(const std::vector<T*>& list, const T* item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

template <class T>
void RemoveFirst(std::vector<T*>& list, const T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}
