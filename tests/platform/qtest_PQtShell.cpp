// The shell on the MIME database and the icon theme: type names, icons, the registry.
#include "model/UIconManager.h"
#include "model/UItem.h"
#include "model/UTypeList.h"
#include "platform/PIconRegistry.h"
#include "platform/PQtShell.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

class TestQtShell : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { platform::InstallQtShell(); }

    void typeNamesComeFromTheMimeDatabase() {
        std::string name;
        platform::Shell().ExtensionIcon("TXT", false, name);
        QCOMPARE(QString::fromStdString(name), QStringLiteral("plain text document"));
        platform::Shell().ExtensionIcon("PNG", false, name);
        QCOMPARE(QString::fromStdString(name), QStringLiteral("PNG image"));
        // Unknown to the database: no name, and the table makes one up.
        platform::Shell().ExtensionIcon("QQZZXX", false, name);
        QVERIFY(name.empty());
        model::TTypeList table;
        QCOMPARE(QString::fromStdString(table.TypeNameOfExtension(".QQZZXX")), QStringLiteral("QQZZXX File"));
        QCOMPARE(QString::fromStdString(table.TypeNameOfExtension(".TXT")), QStringLiteral("plain text document"));
    }

    void iconsAreRegisteredOncePerKind() {
        std::string name;
        const int a = platform::Shell().ExtensionIcon("TXT", false, name);
        const int b = platform::Shell().ExtensionIcon("TXT", false, name);
        QVERIFY(a >= 0);
        QCOMPARE(a, b);
        QVERIFY(!platform::IconRegistry().Icon(a).isNull());
        QVERIFY(platform::Shell().ComputerIcon() >= 0);
        QVERIFY(platform::Shell().NetworkIcon() >= 0);
        QVERIFY(platform::Shell().DriveIcon(false, false) >= 0);
        QVERIFY(platform::IconRegistry().Icon(-1).isNull());
        QVERIFY(platform::IconRegistry().Icon(platform::IconRegistry().Count()).isNull());
    }

    void realAndDefaultIcons() {
        model::IconManager().Init();
        QVERIFY(model::IconManager().FolderIcon >= 0);
        QTemporaryDir dir;
        const std::string root = dir.path().toStdString() + "/";
        std::ofstream(root + "notes.txt") << "hello";
        std::ofstream(root + "script") << "#!/bin/sh\necho hi\n";

        model::TManualItem top(root, model::kKindFixed, nullptr);
        auto* txt = new model::TFileItem("notes.txt", &top);
        auto* script = new model::TFileItem("script", &top);
        top.AddChild(txt);
        top.AddChild(script);
        txt->ResolveIcon();
        script->ResolveIcon();
        QVERIFY(txt->IconIndex() >= 0);
        QVERIFY(txt->TypeIndex() >= 0);
        // Real icons read the file: the script is known by its content although it has no extension.
        QCOMPARE(QString::fromStdString(script->TypeName()), QStringLiteral("shell script"));

        model::IconManager().RealIconsLocal = false;
        auto* other = new model::TFileItem("other.txt", &top);
        top.AddChild(other);
        other->ResolveIcon();
        QCOMPARE(QString::fromStdString(model::TypeList().Items(other->TypeIndex()).Key), QStringLiteral(".TXT"));
        QCOMPARE(other->IconIndex(), model::TypeList().IconIndex(other->TypeIndex()));
        model::IconManager().RealIconsLocal = true;

        top.ResolveIcon();
        QVERIFY(top.IconIndex() >= 0);
        QVERIFY(top.OpenIconIndex() >= 0);
    }
};

QTEST_MAIN(TestQtShell)
#include "qtest_PQtShell.moc"
