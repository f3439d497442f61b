#include "base/byte_reader.h"

#include <gtest/gtest.h>

TEST(ByteReader, ReadsBothByteOrders) {
    const uint8_t data[] = {0x12, 0x34, 0x56, 0x78, 0x3F, 0x80, 0x00, 0x00, 0xFF, 0xFE};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.u16be(), 0x1234);
    EXPECT_EQ(r.u16le(), 0x7856);
    EXPECT_FLOAT_EQ(r.f32be(), 1.0f);
    EXPECT_EQ(r.s16le(), -257);
    EXPECT_TRUE(r.atEnd());
    EXPECT_FALSE(r.failed());

    r.seek(0);
    EXPECT_EQ(r.u32be(), 0x12345678u);
    r.seek(0);
    EXPECT_EQ(r.u32le(), 0x78563412u);
    EXPECT_EQ(r.s32be(), 0x3F800000);
}

TEST(ByteReader, ReadingPastTheEndFailsYieldsZeroAndStaysFailed) {
    const uint8_t data[] = {1, 2, 3};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.u16le(), 0x0201);
    EXPECT_EQ(r.u32be(), 0u); // two bytes short
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.position(), 2u); // a failed read consumes nothing
    EXPECT_EQ(r.u8(), 0u);       // sticky even though one byte remains
}

TEST(ByteReader, BytesViewSkipAndSeekCheckBounds) {
    const uint8_t data[] = {'L', 'W', 'O', '2', 9};
    ByteReader r(data, sizeof data);
    char tag[4];
    ASSERT_TRUE(r.bytes(tag, 4));
    EXPECT_EQ(std::string(tag, 4), "LWO2");
    EXPECT_EQ(r.remaining(), 1u);
    EXPECT_EQ(r.view(2), nullptr);
    EXPECT_TRUE(r.failed());

    ByteReader s(data, sizeof data);
    EXPECT_FALSE(s.seek(6));
    ByteReader t(data, sizeof data);
    EXPECT_TRUE(t.skip(5));
    EXPECT_TRUE(t.atEnd());
    EXPECT_FALSE(t.skip(1));
    EXPECT_EQ(t.position(), 5u);
}

TEST(ByteReader, EmptyInputIsSafe) {
    ByteReader r(nullptr, 0);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(r.u8(), 0u);
    EXPECT_TRUE(r.failed());
    EXPECT_TRUE(ByteReader(nullptr, 0).bytes(nullptr, 0));
}
