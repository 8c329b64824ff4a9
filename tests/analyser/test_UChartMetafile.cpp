#include "analyser/UChartExport.h"
#include "analyser/UChartMetafile.h"

#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

using namespace analyser;

namespace {

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

std::uint32_t U32(const QByteArray& b, int at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}
std::uint16_t U16(const QByteArray& b, int at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) |
                                      (static_cast<std::uint8_t>(b[at + 1]) << 8));
}
std::int16_t S16(const QByteArray& b, int at) {
    return static_cast<std::int16_t>(U16(b, at));
}

struct TRecord {
    std::uint32_t type;
    int at;
    int size;
};

// Walks the EMF records by their sizes; fails the test when a size is off.
std::vector<TRecord> EmfRecords(const QByteArray& b) {
    std::vector<TRecord> out;
    int at = 0;
    while (at + 8 <= b.size()) {
        const std::uint32_t type = U32(b, at), size = U32(b, at + 4);
        EXPECT_EQ(size % 4, 0u);
        EXPECT_GE(size, 8u);
        if (size < 8 || at + static_cast<int>(size) > b.size()) break;
        out.push_back({type, at, static_cast<int>(size)});
        at += static_cast<int>(size);
    }
    EXPECT_EQ(at, b.size());
    return out;
}

// WMF records after the placeable and the standard header; sizes in 16-bit words.
std::vector<TRecord> WmfRecords(const QByteArray& b) {
    std::vector<TRecord> out;
    int at = 22 + 18;
    while (at + 6 <= b.size()) {
        const int words = static_cast<int>(U32(b, at));
        EXPECT_GE(words, 3);
        if (words < 3 || at + 2 * words > b.size()) break;
        out.push_back({U16(b, at + 4), at, 2 * words});
        at += 2 * words;
    }
    EXPECT_EQ(at, b.size());
    return out;
}

QByteArray Draw(TMetafileKind kind, QSize size, void (*paint)(QPainter&)) {
    TMetafileDevice device(kind, size);
    QPainter p(&device);
    paint(p);
    p.end();
    return device.Bytes();
}

void RedSquareAndText(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 0, 0));
    p.drawRect(QRect(10, 20, 30, 40));
    p.setPen(QColor(0, 0, 255));
    p.drawText(QPointF(50, 60), "Hi");
}

} // namespace

TEST(EmfWriter, HeaderRecordsAndEndAgree) {
    App();
    const QByteArray b = Draw(TMetafileKind::Emf, QSize(200, 100), RedSquareAndText);
    const auto records = EmfRecords(b);
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records.front().type, 1u); // EMR_HEADER
    EXPECT_EQ(records.front().size, 88);
    EXPECT_EQ(U32(b, 40), 0x464D4520u); // " EMF"
    EXPECT_EQ(U32(b, 48), static_cast<std::uint32_t>(b.size()));
    EXPECT_EQ(U32(b, 52), records.size());
    EXPECT_EQ(U32(b, 16), 199u); // bounds right, inclusive
    EXPECT_EQ(U32(b, 20), 99u);
    EXPECT_EQ(U32(b, 72), 200u);         // device size in pixels
    EXPECT_EQ(records.back().type, 14u); // EMR_EOF
    EXPECT_EQ(records.back().size, 20);

    std::map<std::uint32_t, int> count;
    for (const auto& r : records)
        ++count[r.type];
    EXPECT_GE(count[39], 1); // CREATEBRUSHINDIRECT
    EXPECT_GE(count[38], 1); // CREATEPEN
    EXPECT_GE(count[37], 2); // SELECTOBJECT
    EXPECT_EQ(count[82], 1); // EXTCREATEFONTINDIRECTW
    EXPECT_EQ(count[84], 1); // EXTTEXTOUTW

    for (const auto& r : records) {
        if (r.type == 39) { // the brush: solid, red as 0x000000FF
            EXPECT_EQ(U32(b, r.at + 16), 0xFFu);
        }
        if (r.type == 86) { // the square as four points
            ASSERT_EQ(U32(b, r.at + 24), 4u);
            std::vector<std::pair<int, int>> pts;
            for (int i = 0; i < 4; ++i)
                pts.emplace_back(S16(b, r.at + 28 + 4 * i), S16(b, r.at + 30 + 4 * i));
            EXPECT_EQ(pts[0], std::make_pair(10, 20));
            EXPECT_EQ(pts[2], std::make_pair(40, 60));
        }
        if (r.type == 84) { // the text: reference point, two UTF-16 characters at offString
            EXPECT_EQ(U32(b, r.at + 36), 50u);
            EXPECT_EQ(U32(b, r.at + 40), 60u);
            EXPECT_EQ(U32(b, r.at + 44), 2u);
            const int off = static_cast<int>(U32(b, r.at + 48));
            EXPECT_EQ(U16(b, r.at + off), 'H');
            EXPECT_EQ(U16(b, r.at + off + 2), 'i');
        }
        if (r.type == 24) { // SETTEXTCOLOR blue
            EXPECT_EQ(U32(b, r.at + 8), 0xFF0000u);
        }
    }
}

TEST(WmfWriter, PlaceableHeaderChecksumAndRecords) {
    App();
    const QByteArray b = Draw(TMetafileKind::Wmf, QSize(200, 100), RedSquareAndText);
    ASSERT_GT(b.size(), 40);
    EXPECT_EQ(U32(b, 0), 0x9AC6CDD7u);
    EXPECT_EQ(S16(b, 10), 200);
    EXPECT_EQ(S16(b, 12), 100);
    EXPECT_EQ(U16(b, 14), 96);
    std::uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= U16(b, i);
    EXPECT_EQ(U16(b, 20), sum);
    // META_HEADER: memory metafile, 9 words, version 3.0, size in words.
    EXPECT_EQ(U16(b, 22), 1);
    EXPECT_EQ(U16(b, 24), 9);
    EXPECT_EQ(U16(b, 26), 0x0300);
    EXPECT_EQ(U32(b, 28) * 2, static_cast<std::uint32_t>(b.size() - 22));
    const auto records = WmfRecords(b);
    ASSERT_FALSE(records.empty());
    std::uint32_t largest = 0;
    std::map<std::uint16_t, int> count;
    for (const auto& r : records) {
        largest = std::max<std::uint32_t>(largest, static_cast<std::uint32_t>(r.size / 2));
        ++count[static_cast<std::uint16_t>(r.type)];
    }
    EXPECT_EQ(U32(b, 34), largest);
    EXPECT_EQ(records.back().type, 0u);
    EXPECT_EQ(records.back().size, 6);
    EXPECT_EQ(count[0x020C], 1); // SETWINDOWEXT
    EXPECT_GE(count[0x02FC], 1); // CREATEBRUSHINDIRECT
    EXPECT_EQ(count[0x0324], 1); // POLYGON
    EXPECT_EQ(count[0x0521], 1); // TEXTOUT
    for (const auto& r : records) {
        if (r.type == 0x0324) {
            EXPECT_EQ(S16(b, r.at + 6), 4);
            EXPECT_EQ(S16(b, r.at + 8), 10);
            EXPECT_EQ(S16(b, r.at + 10), 20);
        }
        if (r.type == 0x0521) {
            EXPECT_EQ(S16(b, r.at + 6), 2);
            EXPECT_EQ(b.mid(r.at + 8, 2), QByteArray("Hi"));
            EXPECT_EQ(S16(b, r.at + 10), 60); // y, then x
            EXPECT_EQ(S16(b, r.at + 12), 50);
        }
        if (r.type == 0x020C) {
            EXPECT_EQ(S16(b, r.at + 6), 100);
            EXPECT_EQ(S16(b, r.at + 8), 200);
        }
    }
}

TEST(MetafileWriter, UnchangedToolsAreNotWrittenAgain) {
    App();
    auto many = [](QPainter& p) {
        p.setPen(Qt::black);
        p.setBrush(Qt::green);
        for (int i = 0; i < 20; ++i)
            p.drawRect(QRect(i * 5, 0, 4, 4));
    };
    const QByteArray emf = Draw(TMetafileKind::Emf, QSize(120, 10), many);
    int brushes = 0, polygons = 0;
    for (const auto& r : EmfRecords(emf)) {
        brushes += r.type == 39;
        polygons += r.type == 86;
    }
    EXPECT_EQ(brushes, 1);
    EXPECT_EQ(polygons, 20);
}

TEST(MetafileWriter, ChartMetafilesAndClipboardForms) {
    App();
    TChart chart;
    chart.Title = {"File Size Distribution of", "/data/"};
    chart.GradientVisible = true;
    TChartSeries* s = chart.AddSeries(TSeriesKind::HorizBar, "", kChartDefaultColor);
    for (int i = 0; i < 5; ++i)
        s->Add(i * 3, "row " + std::to_string(i), 0x8080FF);
    const QByteArray emf = ChartFileBytes(chart, QSize(400, 300), TChartFormat::Emf);
    const QByteArray wmf = ChartFileBytes(chart, QSize(400, 300), TChartFormat::Wmf);
    EXPECT_EQ(EmfRecords(emf).back().type, 14u);
    EXPECT_EQ(WmfRecords(wmf).back().type, 0u);

    for (auto f : {TChartFormat::Bitmap, TChartFormat::Emf, TChartFormat::Wmf}) {
        std::unique_ptr<QMimeData> data(ChartMimeData(chart, QSize(200, 150), f));
        EXPECT_TRUE(data->hasImage());
        EXPECT_EQ(data->hasFormat(kEmfMimeType), f == TChartFormat::Emf);
        EXPECT_EQ(data->hasFormat(kWmfMimeType), f == TChartFormat::Wmf);
        if (f == TChartFormat::Emf) {
            EXPECT_EQ(U32(data->data(kEmfMimeType), 40), 0x464D4520u);
        }
    }
}
