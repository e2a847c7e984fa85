// The program's version, in one place: the version resource, the about box and
// update address (through store/product.h) and the packaging (the Makefile)
// read it from here. The letter of the text form is the third number (a = 1).
#pragma once

#define ORVANE_VERSION_MAJOR 1
#define ORVANE_VERSION_MINOR 84
#define ORVANE_VERSION_PATCH 1
#define ORVANE_VERSION_BUILD 0
#define ORVANE_VERSION_TEXT "1.84a"
