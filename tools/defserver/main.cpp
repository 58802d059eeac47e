#include <cstdio>

int main() {
  std::puts("quillonet-defserver: not built yet");
  return 2;
}
