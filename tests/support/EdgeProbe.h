#pragma once
// How soft an edge is in a picture: the number of pixels of a scan line that
// lie between its two end colours. A crisp edge drawn one image pixel per
// screen pixel has none; artwork enlarged from a smaller image has one or more.
#include <cstdint>
#include <vector>

namespace testsupport {

// pixels: 0xRRGGBB along a line that starts on one side of one edge and
// ends on the other. A pixel counts when it is further than a tenth of the
// step from both ends (per channel, the largest difference).
int SoftEdgeWidth(const std::vector<uint32_t>& pixels);

}  // namespace testsupport
