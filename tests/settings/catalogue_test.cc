#include "settings/catalogue.h"

#include <gtest/gtest.h>

TEST(Catalogue, Builds) {
  build_catalogue();
  EXPECT_EQ(setting_count(), 62);
}
