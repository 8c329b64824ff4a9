#include "platform/PProgramIcon.h"

#include <cstdio>
#include <iterator>

namespace platform {

namespace {
std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}
std::string Colour(std::uint32_t rgb) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06x", static_cast<unsigned>(rgb & 0xffffff));
    return buf;
}
std::string Point(TIconPoint p) {
    return Number(p.x) + " " + Number(p.y);
}
} // namespace

std::string ProgramIconSvg() {
    std::string folder = "M" + Point(kIconFolder[0]);
    for (size_t i = 1; i < std::size(kIconFolder); ++i)
        folder += "L" + Point(kIconFolder[i]);
    folder += "z";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\" viewBox=\"0 0 48 48\">\n"
           "  <path d=\"" +
           folder + "\" fill=\"" + Colour(kIconFolderFill) + "\" stroke=\"" + Colour(kIconFolderLine) +
           "\" stroke-width=\"" + Number(kIconFolderLineWidth) +
           "\"/>\n"
           "  <circle cx=\"" +
           Number(kIconLensCentre.x) + "\" cy=\"" + Number(kIconLensCentre.y) + "\" r=\"" +
           Number(kIconLensRadius) + "\" fill=\"" + Colour(kIconLensFill) + "\" stroke=\"" +
           Colour(kIconLensLine) + "\" stroke-width=\"" + Number(kIconLensLineWidth) +
           "\"/>\n"
           "  <path d=\"M" +
           Point(kIconHandle[0]) + "L" + Point(kIconHandle[1]) + "\" stroke=\"" + Colour(kIconLensLine) +
           "\" stroke-width=\"" + Number(kIconHandleWidth) +
           "\" stroke-linecap=\"round\"/>\n"
           "</svg>\n";
}

} // namespace platform
