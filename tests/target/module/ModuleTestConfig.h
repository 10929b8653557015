/* The recorder module built for the host tests: target addresses are offsets into the module's
   area from 0x20000000, so a host-side reader can search and read it like target RAM. */
#ifndef MODULE_TEST_CONFIG_H
#define MODULE_TEST_CONFIG_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif
uint32_t kavrin_test_address(const void* pointer);
#ifdef __cplusplus
}
#endif

#define KAVRIN_ADDRESS(pointer) kavrin_test_address(pointer)
#define KAVRIN_UP_SIZE 4096
#define KAVRIN_DOWN_SIZE 16
#define KAVRIN_MAX_TEXT 4000
#define KAVRIN_MAX_LOG_ARGS 4

#endif
