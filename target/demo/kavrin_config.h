/* The recorder module's configuration for the demo; the ring size comes from the build. */
#ifndef KAVRIN_CONFIG_H
#define KAVRIN_CONFIG_H

#ifndef KAVRIN_UP_SIZE
#define KAVRIN_UP_SIZE 16384
#endif
#define KAVRIN_AREA_ATTRIBUTE __attribute__((section(".kavrin")))

#endif
