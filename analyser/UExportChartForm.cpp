#include "analyser/UExportChartForm.h"

#include "analyser/UChartExport.h"
#include "model/UPlainText.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include <exception>

namespace analyser {

TExportChartForm::TExportChartForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Export Chart");
    setFixedSize(427, 217);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);

    Label2 = new QLabel("Export Chart", this);
    QFont big = Label2->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    Label2->setFont(big);
    Label2->setGeometry(12, 8, 400, 26);
    Label4 =
        new QLabel("This tool let you save the current chart in a file or copy it in the clipboard.", this);
    Label4->setWordWrap(true);
    Label4->setGeometry(12, 36, 405, 34);
    Label5 = new QLabel("Just select the operation and type of image in the drop down list.", this);
    Label5->setGeometry(12, 70, 405, 18);
    Label7 = new QLabel("Name:", this);
    Label7->setGeometry(12, 96, 50, 18);
    QFont bold = Label7->font();
    bold.setBold(true);
    // The chart's titles hold the explored folder's name.
    Label9 = model::NewPlainLabel(this);
    Label9->setFont(bold);
    Label9->setGeometry(66, 96, 350, 18);
    Label10 = model::NewPlainLabel(this);
    Label10->setFont(bold);
    Label10->setGeometry(66, 114, 350, 18);
    Label3 = new QLabel("E&xport as:", this);
    Label3->setGeometry(12, 144, 80, 22);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setGeometry(96, 144, 320, 24);
    ComboBox1->addItems({"Windows Bitmap File (.bmp)", "Enhanced MetaFile (.emf)", "Windows MetaFile (.wmf)",
                         "Copy to clipboard (as Windows Bitmap)", "Copy to clipboard (as Enhanced MetaFile)",
                         "Copy to clipboard (as Windows MetaFile)"});
    Label3->setBuddy(ComboBox1);

    Button3 = new QPushButton("&Help", this);
    Button3->setGeometry(12, 184, 75, 25);
    Button3->setAutoDefault(false);
    Button1 = new QPushButton("&Export...", this);
    Button1->setGeometry(260, 184, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton("&Cancel", this);
    Button2->setGeometry(341, 184, 75, 25);
    Button2->setAutoDefault(false);
    connect(Button3, &QPushButton::clicked, this, [this] {
        model::ShowHelp(kHelpContext);
        emit HelpRequested(kHelpContext);
    });
    connect(Button1, &QPushButton::clicked, this, &TExportChartForm::DoExport);
    connect(Button2, &QPushButton::clicked, this, [this] { done(kResultCancel); });
}

void TExportChartForm::Prepare(const TChart& chart, QSize size) {
    FChart = &chart;
    FSize = size;
    auto line = [&](size_t i) {
        return i < chart.Title.size() ? QString::fromStdString(chart.Title[i]) : QString();
    };
    Label9->setText(line(0));
    Label10->setText(line(1));
    ComboBox1->setCurrentIndex(0);
    setResult(kResultCancel);
}

int TExportChartForm::Execute(const TChart& chart, QSize size) {
    Prepare(chart, size);
    return exec();
}

void TExportChartForm::EnableControls(bool enabled) {
    Button1->setEnabled(enabled);
    Button2->setEnabled(enabled);
    Button3->setEnabled(enabled);
    ComboBox1->setEnabled(enabled);
    repaint();
}

void TExportChartForm::DoExport() {
    if (!FChart) return;
    const int choice = ComboBox1->currentIndex();
    const auto format = static_cast<TChartFormat>(choice % 3);
    QString message;
    if (choice >= 3) {
        EnableControls(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            CopyChart(*FChart, FSize, format);
        } catch (const std::exception&) {
            QApplication::restoreOverrideCursor();
            ShowMessage(QMessageBox::Critical, "Error", "Clipboard copy error !", QMessageBox::Ok);
            EnableControls(true);
            return;
        }
        message = "Chart copied succesfully !";
    } else {
        static const char* const filters[] = {"Windows Bitmap files (*.bmp)", "Enhanced MetaFile (*.emf)",
                                              "Windows MetaFile (*.wmf)"};
        static const char* const extensions[] = {"bmp", "emf", "wmf"};
        const QString name = AskFileName(filters[choice], extensions[choice]);
        if (name.isEmpty()) return;
        EnableControls(false);
        if (QFileInfo::exists(name) &&
            ShowMessage(QMessageBox::Warning, "File exists", "Overwrite " + name + " ?",
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) != QMessageBox::Yes) {
            EnableControls(true);
            return;
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            SaveChart(*FChart, FSize, format, name.toStdString());
        } catch (const std::exception&) {
            QApplication::restoreOverrideCursor();
            ShowMessage(QMessageBox::Critical, "Error", "Unable to generate file due to a file error !",
                        QMessageBox::Ok);
            EnableControls(true);
            return;
        }
        message = "File generated succesfully !";
    }
    QApplication::restoreOverrideCursor();
    ShowMessage(QMessageBox::Information, "Success", message, QMessageBox::Ok);
    done(kResultDone);
    EnableControls(true);
}

QString TExportChartForm::AskFileName(const QString& filter, const QString& extension) {
    QFileDialog dialog(this, "Save As");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(extension);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The overwrite question is the dialog's own, below.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

QMessageBox::StandardButton TExportChartForm::ShowMessage(QMessageBox::Icon icon, const QString& caption,
                                                          const QString& text,
                                                          QMessageBox::StandardButtons buttons) {
    return model::ShowMessageBox(this, icon, caption, text, buttons);
}

} // namespace analyser
