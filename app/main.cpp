// varnel: the window program (being built).
#include <cstdio>

int main() {
  std::puts("The Varnel window is not built yet; use varnel-cli.");
  return 0;
}
