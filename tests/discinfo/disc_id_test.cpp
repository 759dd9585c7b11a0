#include "discinfo/disc_id.h"

#include "test_support.h"

// Real discs get the ids the CDDB servers gave them. Frames play no part, and
// the checksum wraps at 255 (0a0f5811's digit sums add up to 265, 0009e012's to 255).
TEST(DiscId, RealDiscsGetTheirCddbIds) {
    for (const std::string file : {"alrs_freedb_7908090a", "gitpan_CDDB-File_be0c140e", "gitpan_CDDB-File_ee074b12",
                                   "gvorbeck_muthur_b70dd10d", "pear_Net_CDDB_d50dd30f", "pipian_rubyripper_0a0f5811",
                                   "pipian_rubyripper_2b055c04", "poisdeux_dummymediafiles_0009e012-country"})
        EXPECT_EQ(disc_id_string(disc_id(drive_record(test_data(file + ".xmcd")))), file.substr(file.rfind('_') + 1, 8));
    EXPECT_EQ(disc_id_string(disc_id(DiscRecord())), "00000000");  // no tracks
}
