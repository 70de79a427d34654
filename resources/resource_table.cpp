// Lookup over the table of embedded resources that the build generates.
#include "resources/resource_table.h"

#include "resources/embedded_resource.h"
#include "resources/embedded_table.h"

std::span<const std::uint8_t> FindBitmapResource(int id)
{
    for (const EmbeddedResource* resource : EmbeddedResources()) {
        if (resource->kind == ResourceKind::kBitmap && resource->id == id) {
            return {resource->bytes, resource->size};
        }
    }
    return {};
}

std::vector<std::span<const std::uint8_t>> FindIconResource(int id)
{
    std::vector<std::span<const std::uint8_t>> images;
    for (const EmbeddedResource* resource : EmbeddedResources()) {
        if (resource->kind == ResourceKind::kIcon && resource->id == id) {
            images.emplace_back(resource->bytes, resource->size);
        }
    }
    return images;
}
