#include <cstdio>

int main() {
  std::puts("volmar-batch: the batch front end is not available yet.");
  return 0;
}
