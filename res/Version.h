#pragma once
// The one place the version is written: the version resource and the code read it here.

#define BRENWICK_VERSION_MAJOR 1
#define BRENWICK_VERSION_MINOR 0
#define BRENWICK_VERSION_PATCH 0
#define BRENWICK_VERSION_BUILD 2
#define BRENWICK_VERSION_TEXT "1.0.0.2"
