// Keeps the Wine desktop of a test run open: Wine closes a desktop a second after its last
// program ends, and a viewer that starts just then cannot create its window. Runs until killed.

#include <windows.h>

int main() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    DispatchMessageA(&msg);
  return 0;
}
