/* The public headers are usable from C: this file only has to compile. */
#include "Tessaly.h"

int tsl_c_header_check(void) { return (int)sizeof(Np_SearchInfo) + ERR_SUCCESS; }
