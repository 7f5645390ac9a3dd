#include "AccCardReadConfigForm.h"
#include "AccPageTest.h"

using guitest::recordOf;

namespace {

class ReaderPageTest : public acctest::PageTest<AccCardReadConfigForm> {
  protected:
    // The simulator answers a serial-number read at `answering` only; the
    // others fail with `code`, address 8 with `lastCode`.
    void readerAt(int answering, int32_t code = 8, int32_t lastCode = 8) {
        unit->device->SetHandler(2041, [=](const devsim::Request& r) {
            const int address = r.plain.at(16);
            if (address != answering) return devsim::StatusPayload(address == 8 ? lastCode : code);
            devsim::Bytes serial(32, 0);
            std::memcpy(serial.data(), "SN-0005", 7);
            return devsim::StatusPayload(0, serial);
        });
    }
    std::vector<int> askedAddresses() {
        std::vector<int> addresses;
        for (const auto& r : unit->requests(2041)) addresses.push_back(r.plain.at(16));
        return addresses;
    }
};

}  // namespace

TEST_F(ReaderPageTest, TheSearchStopsAtTheReaderThatAnswers) {
    EXPECT_EQ(edit("searchAddrEdit")->text(), "1");
    EXPECT_TRUE(edit("searchAddrEdit")->isReadOnly());
    readerAt(5);
    click("searchAddrButton");
    expectSuccess();
    EXPECT_EQ(askedAddresses(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(edit("searchAddrEdit")->text(), "5");
    EXPECT_EQ(edit("readSerialNoEdit")->text(), "SN-0005");
}

TEST_F(ReaderPageTest, ASearchThatFindsNoneReportsTheLastAddressCode) {
    readerAt(0, 8, 4);
    click("searchAddrButton");
    expectWarning("搜索地址失败！ret = -1004, 命令无效");
    EXPECT_EQ(unit->count(2041), 8u);
    EXPECT_EQ(edit("searchAddrEdit")->text(), "1");
}

TEST_F(ReaderPageTest, TheSerialNumberIsReadAtTheCurrentAddress) {
    readerAt(1);
    click("readSerialNoButton");
    expectSuccess();
    EXPECT_EQ(askedAddresses(), std::vector<int>{1}) << "address 1 right after start";
    EXPECT_EQ(edit("readSerialNoEdit")->text(), "SN-0005");

    readerAt(7, 4);
    click("readSerialNoButton");
    expectWarning("获取SN号失败！ret = -1004, 命令无效");
    EXPECT_EQ(edit("readSerialNoEdit")->text(), "SN-0005");

    const std::pair<const char*, const char*> bad[] = {{"", "地址不能为空"}, {"x", "地址不合法"}};
    for (const auto& [text, warning] : bad) {
        edit("searchAddrEdit")->setText(text);
        click("readSerialNoButton");
        expectWarning(warning);
    }
    EXPECT_EQ(unit->count(2041), 2u);
}

TEST_F(ReaderPageTest, AnAddressChangeIsCheckedSentAndUsedByTheNextRead) {
    struct Case {
        QString typed;
        const char* warning;
    };
    const Case bad[] = {
        {"", "修改地址不能为空"},
        {"9", "修改地址不合法"},
        {"0", "修改地址不合法"},
        {"12", "修改地址不合法"},
        {"a", "修改地址不合法"},
        {QString::fromUtf8("３"), "修改地址不合法"},  // a full-width digit is no address
    };
    for (const Case& c : bad) {
        type("modifyAddrEdit", c.typed);
        click("modifyAddrButton");
        expectWarning(c.warning);
    }
    EXPECT_EQ(unit->count(2042), 0u);

    type("readSerialNoEdit", "ABCDEFGHIJKLMNOPQRST");
    type("modifyAddrEdit", "6");
    click("modifyAddrButton");
    expectSuccess();
    const auto reader = recordOf<Np_AccReaderId>(unit->lastPayload(2042));
    EXPECT_EQ(std::string(reader.serialNo, 16), "ABCDEFGHIJKLMNOP") << "all 16 bytes, no NUL";
    EXPECT_EQ(reader.address, 6);
    EXPECT_EQ(edit("searchAddrEdit")->text(), "6");

    readerAt(6);
    click("readSerialNoButton");
    expectSuccess();
    EXPECT_EQ(askedAddresses(), std::vector<int>{6});

    unit->device->SetFault(2042, {devsim::Fault::ResultCode, 4});
    type("modifyAddrEdit", "2");
    click("modifyAddrButton");
    expectWarning("修改地址失败！ret = -1004, 命令无效");
    EXPECT_EQ(edit("searchAddrEdit")->text(), "6");
}
