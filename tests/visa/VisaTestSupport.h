#pragma once
// Shared set-up of the session tests: a clean VISA layer per test and small
// wrappers that keep the test bodies about behaviour.
#include <gtest/gtest.h>

#include <string>

#include "visa/visa.h"
#include "visa/visa_ext.h"

namespace qm::visa::test {

class VisaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetForTests();
        ASSERT_EQ(viOpenDefaultRM(&rm_), VI_SUCCESS);
    }
    void TearDown() override { resetForTests(); }

    ViSession open(const std::string& descriptor) {
        ViSession s = VI_NULL;
        EXPECT_EQ(viOpen(rm_, descriptor.c_str(), VI_NULL, VI_NULL, &s), VI_SUCCESS) << descriptor;
        return s;
    }
    static ViStatus write(ViSession s, const std::string& text) {
        ViUInt32 n = 0;
        const ViStatus status = viWrite(s, reinterpret_cast<ViConstBuf>(text.data()),
                                        static_cast<ViUInt32>(text.size()), &n);
        if (status == VI_SUCCESS) {
            EXPECT_EQ(n, text.size());
        }
        return status;
    }
    // One read of at most `count` bytes: its status and its bytes.
    static std::pair<ViStatus, std::string> read(ViSession s, ViUInt32 count = 1024) {
        std::string buf(count, '\0');
        ViUInt32 n = 0;
        const ViStatus status = viRead(s, reinterpret_cast<ViPBuf>(buf.data()), count, &n);
        buf.resize(n);
        return {status, buf};
    }

    ViSession rm_ = VI_NULL;
};

}  // namespace qm::visa::test
