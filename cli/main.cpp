#include <cstdio>

int main() {
  std::puts("quillonet-cli: not built yet");
  return 2;
}
