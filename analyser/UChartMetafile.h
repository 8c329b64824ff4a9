// Enhanced (EMF) and Windows (WMF) metafiles of anything drawn with QPainter: a paint device whose
// engine writes one record per drawing call. Fills and outlines become polygons and polylines with
// solid pens and brushes (a gradient is written as the colour at its middle), text becomes text
// records with its font; images are not written. Coordinates are device pixels at 96 dpi.
//
// EMF: EMR_HEADER, then EMR_CREATEPEN / EMR_CREATEBRUSHINDIRECT / EMR_EXTCREATEFONTINDIRECTW with
// EMR_SELECTOBJECT and EMR_DELETEOBJECT as the tools change, EMR_POLYGON16, EMR_POLYLINE16,
// EMR_SETTEXTCOLOR, EMR_EXTTEXTOUTW, and EMR_EOF. Handles: 1 pen, 2 brush, 3 font.
// WMF: the placeable header (key 9AC6CDD7), META_HEADER, META_SETWINDOWORG / EXT, the pen,
// brush and font objects in slots 0, 1, 2, META_POLYGON, META_POLYLINE, META_TEXTOUT and the
// three-word end record. All numbers little-endian.
#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <memory>

namespace analyser {

enum class TMetafileKind { Emf, Wmf };

class TMetafileEngine;

class TMetafileDevice : public QPaintDevice {
public:
    TMetafileDevice(TMetafileKind kind, QSize size);
    ~TMetafileDevice() override;

    QPaintEngine* paintEngine() const override;
    // The file's bytes; complete once the painter on the device has ended.
    [[nodiscard]] QByteArray Bytes() const;
    [[nodiscard]] QSize Size() const { return FSize; }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize FSize;
    std::unique_ptr<TMetafileEngine> FEngine;
};

} // namespace analyser
