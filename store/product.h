// The product's identity: names and texts shown in boxes, dialogs, print
// headers and the update address.
#pragma once
#include "resources/version.h"

#define PRODUCT_WIDEN_(text) L##text
#define PRODUCT_WIDEN(text) PRODUCT_WIDEN_(text)

#define PRODUCT_NAME L"Orvane"
#define PRODUCT_VERSION PRODUCT_WIDEN(ORVANE_VERSION_TEXT)  // L"1.84a"
// The maker's web site, shown as the caption of the refusal box, in the about
// box and at the foot of printed pages.
#define MAKER_SITE_HOST L"www.quillary.example"
#define MAKER_SITE_URL L"http://www.quillary.example"
