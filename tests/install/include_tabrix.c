#include "tabrix.h" /* the whole public interface, as a caller includes it */
