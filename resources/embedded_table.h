// Every resource compiled into the program, in the generated table's order.
#pragma once

#include <span>

#include "resources/embedded_resource.h"

// All embedded resources; the build generates the list from resources/*.bmp.
std::span<const EmbeddedResource* const> EmbeddedResources();
