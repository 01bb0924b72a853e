#include "ssse3.h"

#ifdef PELMORA_HAVE_SSSE3
bool processorHasSsse3() {
  return __builtin_cpu_supports("ssse3");
}
#endif
