#include "core/BrandProfile.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

BrandProfile Edition(const std::string& name) {
  platform::ProgramIdentity id;
  id.productName = name;
  id.companyName = "Maker";
  id.comments = "www.example.test";
  return BrandProfile::FromIdentity(id);
}

TEST(BrandProfileTest, EditionBehaviourFollowsTheProductNameAndOnlyThatEdition) {
  const BrandProfile plain = Edition("Quillonet");
  EXPECT_FALSE(plain.trayWhenRunAtStartup);
  EXPECT_FALSE(plain.runAtStartupOnFirstRun);
  EXPECT_EQ(plain.companionSettingsApp, "Tarnwick2");
  EXPECT_EQ(plain.Substitute("[ProgramName] by [companyname] at [Website]"),
            "Quillonet by Maker at www.example.test");

  EXPECT_TRUE(Edition("Vastrelline").trayWhenRunAtStartup);
  EXPECT_FALSE(Edition("Vastrelline").runAtStartupOnFirstRun);
  EXPECT_TRUE(Edition("Pellucor").runAtStartupOnFirstRun);
  EXPECT_FALSE(Edition("Pellucor").trayWhenRunAtStartup);
}

}  // namespace
}  // namespace quill
