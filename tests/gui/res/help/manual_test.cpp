// The manual and the pictures stay complete as windows are added: every
// window has a help page and a picture, every link in the help leads to a
// page that exists, every page is compiled in, and the README and the
// AppStream metadata show pictures that exist.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <filesystem>

#include "ui/qt/qt_host.h"
#include "ui/template.h"

namespace tolvaro::ui {
namespace {

const std::filesystem::path kSourceRoot = TOLVARO_SOURCE_DIR;

QString readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

QStringList matches(const QString& text, const QString& pattern) {
    QStringList found;
    for (const QRegularExpressionMatch& m : QRegularExpression(pattern).globalMatch(text)) {
        found << m.captured(1);
    }
    return found;
}

QString sourcePath(const char* relative) {
    return QString::fromStdString((kSourceRoot / relative).string());
}

TEST(Manual, EveryWindowHasAHelpPageOfItsOwn) {
    const QtHost host; // registers the compiled-in help pages
    for (const Template* t : allTemplates()) {
        EXPECT_NE(QtHost::helpPagePath(kHelpTopicBase + t->number),
                  QStringLiteral(":/help/index.html"))
            << "template " << t->number << " \"" << t->caption << "\" has no help page";
    }
}

TEST(Manual, EveryLinkLeadsToAPageAndEveryPageIsInTheContents) {
    const QtHost host; // registers the compiled-in help pages
    const QDir help(QStringLiteral(":/help"));
    const QStringList pages = help.entryList({QStringLiteral("*.html")});
    ASSERT_GT(pages.size(), 1);
    QSet<QString> linkedFromIndex;
    for (const QString& page : pages) {
        const QString text = readAll(help.filePath(page));
        for (QString target : matches(text, QStringLiteral("(?:href|src)=\"([^\"]*)\""))) {
            if (target.contains(QStringLiteral("://"))) {
                continue;
            }
            target = target.section(QLatin1Char('#'), 0, 0);
            EXPECT_TRUE(help.exists(target))
                << page.toStdString() << " links to missing \"" << target.toStdString() << "\"";
            if (page == QStringLiteral("index.html")) {
                linkedFromIndex.insert(target);
            }
        }
    }
    for (const QString& page : pages) {
        EXPECT_TRUE(page == QStringLiteral("index.html") || linkedFromIndex.contains(page))
            << page.toStdString() << " is not in the contents";
    }
}

// The package installs the source folder; the program shows the compiled-in
// copy. They must be the same pages.
TEST(Manual, EveryPageInTheSourceIsCompiledIn) {
    const QtHost host; // registers the compiled-in help pages
    const QStringList source = QDir(sourcePath("src/res/help")).entryList(QDir::Files);
    const QStringList compiled = QDir(QStringLiteral(":/help")).entryList(QDir::Files);
    EXPECT_EQ(source.join(u' ').toStdString(), compiled.join(u' ').toStdString());
}

TEST(Pictures, EveryWindowHasAPicture) {
    const QStringList pictures =
        QDir(sourcePath("docs/images")).entryList({QStringLiteral("*.png")});
    for (const Template* t : allTemplates()) {
        const QRegularExpression name(QStringLiteral("^%1(-.*)?\\.png$").arg(t->number));
        EXPECT_FALSE(pictures.filter(name).isEmpty())
            << "no picture of template " << t->number
            << " in docs/images; run tolvaro-shots docs/images";
    }
}

TEST(Pictures, TheReadmeAndTheMetadataShowPicturesThatExist) {
    const QString readme = readAll(sourcePath("README.md"));
    const QStringList shown = matches(readme, QStringLiteral("!\\[[^\\]]*\\]\\(([^)\\s]+)\\)"));
    EXPECT_FALSE(shown.isEmpty());
    for (const QString& picture : shown) {
        EXPECT_TRUE(QFile::exists(sourcePath(qPrintable(picture)))) << picture.toStdString();
    }
    const QString metainfo = readAll(sourcePath("packaging/com.karvel.Tolvaro.metainfo.xml.in"));
    const QStringList screenshots =
        matches(metainfo, QStringLiteral("@TOLVARO_IMAGES_URL@/([^<]+)</image>"));
    EXPECT_FALSE(screenshots.isEmpty());
    for (const QString& picture : screenshots) {
        EXPECT_TRUE(QFile::exists(sourcePath(qPrintable(QStringLiteral("docs/images/") + picture))))
            << picture.toStdString();
    }
}

} // namespace
} // namespace tolvaro::ui
