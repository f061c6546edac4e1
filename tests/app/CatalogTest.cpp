#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include "app/StrCont.h"
#include "tests/support/Files.h"

namespace cinevan {
namespace {

const char* const kDefaults[] = {"Active Movie driver is not installed. Do you want to install it?",
                                 "Can not create program's forms",
                                 "Can not find/execute Active Movie installer."};

class CatalogTest : public ::testing::Test {
protected:
    QString writeCatalog(const QByteArray& text) {
        const QString name = dir.filePath("cinevan.str");
        test::WriteFile(name, text);
        return name;
    }

    // What start-up does: defaults, then the file's "Fatal Errors" over them.
    void startUp(const QByteArray& catalogText) {
        for (int i = 0; i < 3; ++i) {
            catalog.SetString(i, QString::fromLatin1(kDefaults[i]));
        }
        catalog.SetFileName(writeCatalog(catalogText));
        try {
            catalog.AddSection("Fatal Errors");
        } catch (const std::exception&) {
        }
    }

    QTemporaryDir dir;
    TStringContainer catalog;
};

TEST(StrToInt, DecimalAndDollarHex) {
    EXPECT_EQ(strToInt("0"), 0);
    EXPECT_EQ(strToInt("-17"), -17);
    EXPECT_EQ(strToInt("+5"), 5);
    EXPECT_EQ(strToInt("$1F"), 31);
    EXPECT_EQ(strToInt("$ffffffff"), -1);
    EXPECT_EQ(strToInt("2147483647"), 2147483647);
    EXPECT_EQ(strToInt("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "-", "$", "abc", "1a", "0x10", "2147483648", "$100000000", " 1"}) {
        EXPECT_THROW(strToInt(bad), EConvertError) << bad;
    }
}

TEST_F(CatalogTest, TableKeepsOneItemPerIndex) {
    catalog.SetString(5, "five");
    catalog.SetString(-3, "minus three");
    catalog.SetString(5, "FIVE");
    EXPECT_EQ(catalog.Count(), 2);
    EXPECT_EQ(catalog.IndexOf(5), 0);
    EXPECT_EQ(catalog.IndexOf(-3), 1);
    EXPECT_EQ(catalog.GetString(5), "FIVE");
    catalog.SetString(5, "");
    EXPECT_EQ(catalog.IndexOf(5), -1);
    EXPECT_EQ(catalog.GetString(5), "");
    catalog.SetString(7, "");
    EXPECT_EQ(catalog.Count(), 1);
}

TEST_F(CatalogTest, MissingFileKeepsDefaults) {
    for (int i = 0; i < 3; ++i) {
        catalog.SetString(i, QString::fromLatin1(kDefaults[i]));
    }
    catalog.SetFileName(dir.filePath("none.str"));
    catalog.AddSection("Fatal Errors");
    EXPECT_EQ(catalog.GetString(0), kDefaults[0]);
    EXPECT_EQ(catalog.GetString(2), kDefaults[2]);
}

TEST_F(CatalogTest, SectionMergesOverDefaults) {
    startUp("[Fatal Errors]\n0=Kein Treiber\n");
    EXPECT_EQ(catalog.GetString(0), "Kein Treiber");
    EXPECT_EQ(catalog.GetString(2), kDefaults[2]);
}

TEST_F(CatalogTest, EmptyValueRemovesDefault) {
    startUp("[Fatal Errors]\n2=\n");
    EXPECT_EQ(catalog.GetString(2), "");
    EXPECT_EQ(catalog.IndexOf(2), -1);
}

TEST_F(CatalogTest, BadKeyStopsTheMergeAfterEarlierKeys) {
    catalog.SetFileName(writeCatalog("[Fatal Errors]\n0=first\nbad=x\n1=never\n"));
    EXPECT_THROW(catalog.AddSection("Fatal Errors"), EConvertError);
    EXPECT_EQ(catalog.GetString(0), "first");
    EXPECT_EQ(catalog.IndexOf(1), -1);
}

TEST_F(CatalogTest, HexKeysAndLongValues) {
    startUp("[fatal errors]\n$10=sixteen\n-1=minus\n3=" + QByteArray(1500, 'x') + "\n");
    EXPECT_EQ(catalog.GetString(16), "sixteen");
    EXPECT_EQ(catalog.GetString(-1), "minus");
    EXPECT_EQ(catalog.GetString(3).size(), 1023);
}

TEST_F(CatalogTest, SameFileNameKeepsTheReader) {
    const QString name = writeCatalog("");
    catalog.SetFileName(name);
    const PrivateProfile* reader = catalog.IniFile();
    ASSERT_NE(reader, nullptr);
    catalog.SetFileName(name);
    EXPECT_EQ(catalog.IniFile(), reader);
    catalog.SetFileName(name + "x");
    EXPECT_EQ(catalog.IniFile()->FileName(), name + "x");
}

TEST_F(CatalogTest, NoFileNameFailsToLocalize) {
    QWidget form;
    form.setObjectName("FormAbout");
    try {
        catalog.LocalizeForm(&form);
        FAIL() << "no exception";
    } catch (const EStringContainerError& error) {
        EXPECT_STREQ(error.what(), "File name is not given");
    }
    catalog.SetFileName(writeCatalog(""));
    catalog.SetFileName("");
    EXPECT_EQ(catalog.IniFile(), nullptr);
    EXPECT_THROW(catalog.LocalizeForm(&form), EStringContainerError);
    EXPECT_THROW(catalog.AddSection("Fatal Errors"), EStringContainerError);
}

TEST(StringContainerInstance, IsOneObject) {
    EXPECT_EQ(&StringContainer(), &StringContainer());
}

}  // namespace
}  // namespace cinevan
