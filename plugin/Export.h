// Marks the few functions the module exports; everything else stays hidden.
#pragma once

#define TESSEL_EXPORT __attribute__((visibility("default")))
