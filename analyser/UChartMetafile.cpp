#include "analyser/UChartMetafile.h"

#include <QPaintEngine>
#include <QPainterPath>
#include <QTextItem>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace analyser {

namespace {

void Put16(QByteArray& b, std::int32_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    b.append(static_cast<char>(u & 0xFF));
    b.append(static_cast<char>(u >> 8));
}
void Put32(QByteArray& b, std::int64_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((u >> (8 * i)) & 0xFF));
}
void PutFloat(QByteArray& b, float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    Put32(b, u);
}
void Set32(QByteArray& b, int at, std::int64_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}
void Set16(QByteArray& b, int at, std::int32_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    b[at] = static_cast<char>(u & 0xFF);
    b[at + 1] = static_cast<char>(u >> 8);
}
std::int32_t Clamp16(double v) {
    return static_cast<std::int32_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

std::uint32_t ColorRef(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

QColor BrushColor(const QBrush& brush) {
    if (const QGradient* g = brush.gradient()) {
        const auto stops = g->stops();
        if (stops.isEmpty()) return Qt::black;
        const QColor a = stops.front().second, z = stops.back().second;
        return QColor((a.red() + z.red()) / 2, (a.green() + z.green()) / 2, (a.blue() + z.blue()) / 2);
    }
    return brush.color();
}

// What the records need of the painter's tools, compared to write only changes.
struct TPenKey {
    bool null = true;
    std::uint32_t color = 0;
    int width = 0;
    bool operator==(const TPenKey&) const = default;
};
struct TBrushKey {
    bool null = true;
    std::uint32_t color = 0;
    bool operator==(const TBrushKey&) const = default;
};
struct TFontKey {
    int height = 0;
    int weight = 400;
    bool italic = false;
    int escapement = 0;
    QString face;
    bool operator==(const TFontKey&) const = default;
};

} // namespace

class TMetafileEngine : public QPaintEngine {
public:
    TMetafileEngine(TMetafileKind kind, QSize size) : QPaintEngine(AllFeatures), FKind(kind), FSize(size) {}

    bool begin(QPaintDevice*) override {
        FBody.clear();
        FRecords = 0;
        FMaxRecord = 0;
        FPen = {};
        FBrush = {};
        FFont = {};
        FPenMade = FBrushMade = FFontMade = false;
        FTextColor = 0xFFFFFFFF;
        if (FKind == TMetafileKind::Wmf) {
            // Window origin and extent: one logical unit per pixel.
            Wmf(0x020B, {0, 0});
            Wmf(0x020C, {FSize.height(), FSize.width()});
            Wmf(0x0102, {1, 0}); // SETBKMODE TRANSPARENT
            Wmf(0x012E, {24});   // SETTEXTALIGN TA_BASELINE
        } else {
            Emf(18, [](QByteArray& b) { Put32(b, 1); });  // SETBKMODE TRANSPARENT
            Emf(22, [](QByteArray& b) { Put32(b, 24); }); // SETTEXTALIGN TA_BASELINE
        }
        return true;
    }

    bool end() override {
        if (FKind == TMetafileKind::Emf)
            FinishEmf();
        else
            FinishWmf();
        return true;
    }

    void updateState(const QPaintEngineState& state) override {
        if (state.state() & DirtyTransform) FTransform = state.transform();
        if (state.state() & DirtyPen) FQPen = state.pen();
        if (state.state() & DirtyBrush) FQBrush = state.brush();
        if (state.state() & DirtyFont) FQFont = state.font();
    }

    void drawPath(const QPainterPath& path) override {
        const QPainterPath mapped = FTransform.map(path);
        if (FQBrush.style() != Qt::NoBrush) {
            for (const QPolygonF& poly : mapped.toFillPolygons())
                Polygon(poly, true, FQPen.style() != Qt::NoPen);
        }
        if (FQPen.style() != Qt::NoPen && FQBrush.style() == Qt::NoBrush)
            for (const QPolygonF& poly : mapped.toSubpathPolygons())
                Polygon(poly, false, true);
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        QPolygonF poly;
        for (int i = 0; i < count; ++i)
            poly << FTransform.map(points[i]);
        if (mode == PolylineMode)
            Polygon(poly, false, true);
        else
            Polygon(poly, FQBrush.style() != Qt::NoBrush, FQPen.style() != Qt::NoPen);
    }

    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            QPainterPath p;
            p.addRect(rects[i]);
            drawPath(p);
        }
    }

    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i)
            Polygon(QPolygonF({FTransform.map(lines[i].p1()), FTransform.map(lines[i].p2())}), false, true);
    }

    void drawEllipse(const QRectF& r) override {
        QPainterPath p;
        p.addEllipse(r);
        drawPath(p);
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        const QString text = item.text();
        if (text.isEmpty()) return;
        const QPointF at = FTransform.map(p);
        const double angle = std::atan2(FTransform.m12(), FTransform.m11()) * 180 / M_PI;
        const QFont f = item.font();
        TFontKey key;
        const double px = f.pixelSize() > 0 ? f.pixelSize() : f.pointSizeF() * 96.0 / 72.0;
        key.height = -std::max(1, static_cast<int>(std::lround(px)));
        key.weight = f.bold() ? 700 : 400;
        key.italic = f.italic();
        key.escapement = static_cast<int>(std::lround(-angle * 10));
        key.face = f.family().left(31);
        SelectFont(key);
        SetTextColor(ColorRef(FQPen.color()));
        if (FKind == TMetafileKind::Emf)
            EmfText(at, text);
        else
            WmfText(at, text);
    }

    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

    Type type() const override { return QPaintEngine::User; }

    QByteArray FBytes;

private:
    // One EMF record: type, size, then what fill writes.
    template <class F> void Emf(std::uint32_t type, F fill) {
        QByteArray b;
        Put32(b, type);
        Put32(b, 0);
        fill(b);
        while (b.size() % 4)
            b.append('\0');
        Set32(b, 4, b.size());
        FBody.append(b);
        ++FRecords;
    }
    // One WMF record: size in words, function, parameter words.
    void Wmf(std::uint16_t function, std::initializer_list<std::int32_t> words) {
        QByteArray b;
        Put32(b, 3 + static_cast<std::int64_t>(words.size()));
        Put16(b, function);
        for (auto w : words)
            Put16(b, w);
        WmfRecord(b);
    }
    void WmfRecord(QByteArray& b) {
        while (b.size() % 2)
            b.append('\0');
        Set32(b, 0, b.size() / 2);
        FMaxRecord = std::max<std::int64_t>(FMaxRecord, b.size() / 2);
        FBody.append(b);
        ++FRecords;
    }

    void SelectPen(const TPenKey& key) {
        if (FPenMade && key == FPen) return;
        if (FKind == TMetafileKind::Emf) {
            if (FPenMade) Emf(40, [](QByteArray& b) { Put32(b, 1); });
            Emf(38, [&](QByteArray& b) {
                Put32(b, 1);
                Put32(b, key.null ? 5 : 0);
                Put32(b, key.width);
                Put32(b, 0);
                Put32(b, key.color);
            });
            Emf(37, [](QByteArray& b) { Put32(b, 1); });
        } else {
            if (FPenMade) Wmf(0x01F0, {0});
            QByteArray b;
            Put32(b, 0);
            Put16(b, 0x02FA);
            Put16(b, key.null ? 5 : 0);
            Put16(b, key.width);
            Put16(b, 0);
            Put32(b, key.color);
            WmfRecord(b);
            Wmf(0x012D, {0});
        }
        FPen = key;
        FPenMade = true;
    }

    void SelectBrush(const TBrushKey& key) {
        if (FBrushMade && key == FBrush) return;
        if (FKind == TMetafileKind::Emf) {
            if (FBrushMade) Emf(40, [](QByteArray& b) { Put32(b, 2); });
            Emf(39, [&](QByteArray& b) {
                Put32(b, 2);
                Put32(b, key.null ? 1 : 0);
                Put32(b, key.color);
                Put32(b, 0);
            });
            Emf(37, [](QByteArray& b) { Put32(b, 2); });
        } else {
            if (FBrushMade) Wmf(0x01F0, {1});
            QByteArray b;
            Put32(b, 0);
            Put16(b, 0x02FC);
            Put16(b, key.null ? 1 : 0);
            Put32(b, key.color);
            Put16(b, 0);
            WmfRecord(b);
            Wmf(0x012D, {1});
        }
        FBrush = key;
        FBrushMade = true;
    }

    void SelectFont(const TFontKey& key) {
        if (FFontMade && key == FFont) return;
        if (FKind == TMetafileKind::Emf) {
            if (FFontMade) Emf(40, [](QByteArray& b) { Put32(b, 3); });
            Emf(82, [&](QByteArray& b) {
                Put32(b, 3);
                Put32(b, key.height);
                Put32(b, 0);
                Put32(b, key.escapement);
                Put32(b, key.escapement);
                Put32(b, key.weight);
                b.append(key.italic ? '\1' : '\0');
                b.append(4, '\0'); // underline, strike-out, charset 0 (ANSI), out precision
                b.append('\0');    // clip precision
                b.append('\0');    // quality
                b.append('\0');    // pitch and family
                QByteArray face(64, '\0');
                for (int i = 0; i < key.face.size() && i < 31; ++i)
                    Set16(face, 2 * i, key.face.at(i).unicode());
                b.append(face);
            });
            Emf(37, [](QByteArray& b) { Put32(b, 3); });
        } else {
            if (FFontMade) Wmf(0x01F0, {2});
            QByteArray b;
            Put32(b, 0);
            Put16(b, 0x02FB);
            Put16(b, key.height);
            Put16(b, 0);
            Put16(b, key.escapement);
            Put16(b, key.escapement);
            Put16(b, key.weight);
            b.append(key.italic ? '\1' : '\0');
            b.append(7, '\0');
            QByteArray face(32, '\0');
            const QByteArray latin = key.face.toLatin1().left(31);
            face.replace(0, latin.size(), latin);
            b.append(face);
            WmfRecord(b);
            Wmf(0x012D, {2});
        }
        FFont = key;
        FFontMade = true;
    }

    void SetTextColor(std::uint32_t color) {
        if (color == FTextColor) return;
        if (FKind == TMetafileKind::Emf)
            Emf(24, [&](QByteArray& b) { Put32(b, color); });
        else
            Wmf(0x0209, {static_cast<std::int32_t>(color & 0xFFFF), static_cast<std::int32_t>(color >> 16)});
        FTextColor = color;
    }

    void Polygon(QPolygonF poly, bool fill, bool outline) {
        // A closed polygon's repeated first point is implied by the record.
        if (fill && poly.size() > 3 && poly.isClosed()) poly.removeLast();
        if (poly.size() < 2 || (!fill && !outline)) return;
        TPenKey pen;
        if (outline) {
            pen.null = false;
            pen.color = ColorRef(FQPen.color());
            pen.width = FQPen.isCosmetic() ? 1 : std::max(1, static_cast<int>(std::lround(FQPen.widthF())));
        }
        SelectPen(pen);
        TBrushKey brush;
        if (fill) {
            brush.null = false;
            brush.color = ColorRef(BrushColor(FQBrush));
        }
        SelectBrush(brush);
        QRectF bounds = poly.boundingRect();
        FBounds = FBounds.isNull() ? bounds : FBounds.united(bounds);
        const bool closed = fill;
        if (FKind == TMetafileKind::Emf) {
            Emf(closed ? 86 : 87, [&](QByteArray& b) {
                Put32(b, Clamp16(bounds.left()));
                Put32(b, Clamp16(bounds.top()));
                Put32(b, Clamp16(bounds.right()));
                Put32(b, Clamp16(bounds.bottom()));
                Put32(b, poly.size());
                for (const QPointF& p : poly) {
                    Put16(b, Clamp16(p.x()));
                    Put16(b, Clamp16(p.y()));
                }
            });
        } else {
            QByteArray b;
            Put32(b, 0);
            Put16(b, closed ? 0x0324 : 0x0325);
            Put16(b, static_cast<std::int32_t>(poly.size()));
            for (const QPointF& p : poly) {
                Put16(b, Clamp16(p.x()));
                Put16(b, Clamp16(p.y()));
            }
            WmfRecord(b);
        }
    }

    void EmfText(const QPointF& at, const QString& text) {
        Emf(84, [&](QByteArray& b) {
            const int n = static_cast<int>(text.size());
            Put32(b, Clamp16(at.x()));
            Put32(b, Clamp16(at.y()) - 20);
            Put32(b, Clamp16(at.x()) + 10 * n);
            Put32(b, Clamp16(at.y()) + 5);
            Put32(b, 1); // GM_COMPATIBLE
            PutFloat(b, 0);
            PutFloat(b, 0);
            // EMRTEXT
            Put32(b, Clamp16(at.x()));
            Put32(b, Clamp16(at.y()));
            Put32(b, n);
            const int offString = 76;
            const int stringBytes = (2 * n + 3) / 4 * 4;
            Put32(b, offString);
            Put32(b, 0);     // options
            b.append(16, 0); // clipping rectangle: none
            Put32(b, 0);     // offDx: no spacing array
            for (const QChar c : text)
                Put16(b, c.unicode());
            while (b.size() < offString + stringBytes)
                b.append('\0');
        });
    }

    void WmfText(const QPointF& at, const QString& text) {
        const QByteArray bytes = text.toLatin1();
        QByteArray b;
        Put32(b, 0);
        Put16(b, 0x0521);
        Put16(b, static_cast<std::int32_t>(bytes.size()));
        b.append(bytes);
        if (bytes.size() % 2) b.append('\0');
        Put16(b, Clamp16(at.y()));
        Put16(b, Clamp16(at.x()));
        WmfRecord(b);
    }

    void FinishEmf() {
        Emf(14, [](QByteArray& b) {
            Put32(b, 0);
            Put32(b, 16);
            Put32(b, 20);
        });
        QByteArray h;
        Put32(h, 1);
        Put32(h, 88);
        // Bounds: inclusive pixels of the picture; frame: the same in 0.01 mm at 96 dpi.
        Put32(h, 0);
        Put32(h, 0);
        Put32(h, FSize.width() - 1);
        Put32(h, FSize.height() - 1);
        const auto hmm = [](int px) { return static_cast<std::int64_t>(std::lround(px * 2540.0 / 96.0)); };
        Put32(h, 0);
        Put32(h, 0);
        Put32(h, hmm(FSize.width()) - 1);
        Put32(h, hmm(FSize.height()) - 1);
        Put32(h, 0x464D4520); // " EMF"
        Put32(h, 0x00010000);
        Put32(h, 88 + FBody.size());
        Put32(h, FRecords + 1);
        Put16(h, 4); // handles: the metafile's own, pen, brush, font
        Put16(h, 0);
        Put32(h, 0); // description
        Put32(h, 0);
        Put32(h, 0); // palette entries
        Put32(h, FSize.width());
        Put32(h, FSize.height());
        Put32(h, std::lround(FSize.width() * 25.4 / 96));
        Put32(h, std::lround(FSize.height() * 25.4 / 96));
        FBytes = h + FBody;
    }

    void FinishWmf() {
        Wmf(0x0000, {});
        QByteArray p;
        Put32(p, 0x9AC6CDD7);
        Put16(p, 0);
        Put16(p, 0);
        Put16(p, 0);
        Put16(p, FSize.width());
        Put16(p, FSize.height());
        Put16(p, 96);
        Put32(p, 0);
        std::uint16_t sum = 0;
        for (int i = 0; i < 20; i += 2)
            sum ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(p[i]) |
                                              (static_cast<std::uint8_t>(p[i + 1]) << 8));
        Put16(p, sum);
        QByteArray h;
        Put16(h, 1);
        Put16(h, 9);
        Put16(h, 0x0300);
        Put32(h, 9 + FBody.size() / 2);
        Put16(h, 3);
        Put32(h, FMaxRecord);
        Put16(h, 0);
        FBytes = p + h + FBody;
    }

    TMetafileKind FKind;
    QSize FSize;
    QByteArray FBody;
    std::int64_t FRecords = 0;
    std::int64_t FMaxRecord = 0;
    QTransform FTransform;
    QPen FQPen;
    QBrush FQBrush;
    QFont FQFont;
    TPenKey FPen;
    TBrushKey FBrush;
    TFontKey FFont;
    bool FPenMade = false, FBrushMade = false, FFontMade = false;
    std::uint32_t FTextColor = 0xFFFFFFFF;
    QRectF FBounds;
};

TMetafileDevice::TMetafileDevice(TMetafileKind kind, QSize size)
    : FSize(size), FEngine(std::make_unique<TMetafileEngine>(kind, size)) {}

TMetafileDevice::~TMetafileDevice() = default;

QPaintEngine* TMetafileDevice::paintEngine() const {
    return FEngine.get();
}

QByteArray TMetafileDevice::Bytes() const {
    return FEngine->FBytes;
}

int TMetafileDevice::metric(PaintDeviceMetric m) const {
    switch (m) {
    case PdmWidth:
        return FSize.width();
    case PdmHeight:
        return FSize.height();
    case PdmWidthMM:
        return static_cast<int>(std::lround(FSize.width() * 25.4 / 96));
    case PdmHeightMM:
        return static_cast<int>(std::lround(FSize.height() * 25.4 / 96));
    case PdmNumColors:
        return 0x7FFFFFFF;
    case PdmDepth:
        return 24;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
    default:
        return 0;
    }
}

} // namespace analyser
