#include "mainwindow/UTipsList.h"

#include <array>

namespace mainwindow {

namespace {
// Each text fits the dialog's word-wrapped label of 321 x 121 pixels.
constexpr std::array<std::string_view, kTipCount> kTips = {
    "A drive or a folder has to be explored before its information (sizes, file counts, dates) is "
    "shown.\n\r\n\rBrowsing the tree works without exploring.",
    "The \"** \" mark in front of a value means that the information is incomplete: some folders "
    "below were not explored.\n\r\n\rExplore the folder completely to remove it.",
    "In the Analyser you can navigate folders: use the FOLDERS section, click a part of the chart or "
    "double-click a data line, and go back with \"Up One Folder\".",
    "You can explore several drives or folders at once: select them in the list with Ctrl+click, "
    "then choose Explore.",
    "The File Lister lists every file of a folder and of all its subfolders.\n\r\n\rOnly explored "
    "folders are listed.",
    "You can customize the way sizes are displayed (B, KB, MB or GB).\n\r\n\rTake a look at the "
    "Options section in the Tools menu.",
    "Listings are faster with default icons instead of real icons.\n\r\n\rChoose them per kind of "
    "drive on the Icons page of the Options.",
    "You can Map and Disconnect network drives from Tessalundrix. Take a look at the Tools menu.",
    "The DATA view of the Analyser gives more detail than its CHART view: sizes, file counts and "
    "percentages of every line.",
    "Click on a part of a chart, or double-click a data line, in the Analyser to open the File Lister "
    "on those files.",
    "You can customize the list's columns (order, size, hidden columns) with \"Customize "
    "columns...\" of the View menu.",
    "Data in list view can be sorted the way you want.\n\r\n\rYou can click on a column header to "
    "sort listing according to this column.",
    "Export writes the data exactly as the list shows them.\n\r\n\rChoose and order the columns first "
    "to get the export you want.",
    "\"Top 100 biggest files\" spots the large files of a drive or folder.\n\r\n\rExplore it "
    "completely first.",
    "Once explored, data of a drive or folder are static. To be up to date with the content of the "
    "drive or folder, be sure to do a REFRESH.",
    "Tessalundrix is not a file manager.\n\r\n\rThe File Mgr button or the File menu opens the File "
    "Manager at the current folder.",
    "You can copy Filename/Path of one or multiple files into clipboard with copy functions of the "
    "EDIT menu.",
    "Example: to gather all .MP3 files of a drive, open the Analyser on it, choose the Extension "
    "section and double-click the MP3 line in DATA view.",
    "Preferred explorations can be explored automatically at start-up: \"Auto-Explore on "
    "Startup\".\n\r\n\rGreen button: on; red: off.",
    "You can save only some folders or drives: select them and choose \"Currently Selected "
    "Items(s)\" in the Save window.",
    "The command-line scanner txscan explores a drive, folder or network path into an exploration "
    "file; run it from a scheduler.",
};
} // namespace

std::string_view TipText(int n) {
    return kTips[static_cast<std::size_t>(ValidTipPos(n) - 1)];
}

int ValidTipPos(int pos) {
    return pos < 1 || pos > kTipCount ? 1 : pos;
}

int NextTipPos(int pos) {
    const int next = pos + 1;
    return next < 1 || next > kTipCount ? 1 : next;
}

int CentredOn(int mainStart, int mainExtent, int dialogExtent) {
    const int room = mainExtent - dialogExtent;
    return room >= 0 ? mainStart + room / 2 : mainStart;
}

} // namespace mainwindow
