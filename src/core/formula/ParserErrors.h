#pragma once
// Placeholder until the parser lands.
#include "formula/TParser.h"
