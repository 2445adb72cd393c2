// SPDX-License-Identifier: MIT
// Damaged option streams load or fail, never crash (run under the sanitizer build).

#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/CSSFile.h"
#include "epub/options/FileExportOptions.h"
#include "epub/options/FlowingEPubOptions.h"

#include <gtest/gtest.h>

#include "epub/options/OptionsTestSupport.h"

#include <random>

using namespace OptionsTest;

TEST(OptionsFuzz, DamagedStreamsOfEveryClassNeverCrash) {
    EPub::AccessibilityMetadata metadata;
    metadata.Set(EPub::AccessibilityFeature::ARIA, true);
    metadata.Set(EPub::AccessMode::Visual, true);
    metadata.SetSummary("summary");
    EPub::FileExportOptions fixed(Render::FileExportOptionsVector::Preset::Standard);
    fixed.SetCoverPageFile(MakeCounted<FileDataSource>("/cover.png"));
    const std::vector<std::string> streams = {
        SerialiseObject(EPub::FlowingEPubOptions(Render::FileExportOptionsVector::Preset::High)),
        SerialiseObject(fixed),
        SerialiseObject(EPub::CSSFile(MakeCounted<FileDataSource>("/a.css"), {}, "p {}")),
        SerialiseObject(metadata),
    };
    std::mt19937 random(7);
    FileStore store;
    for (const std::string& good : streams) {
        ASSERT_TRUE(LoadStream<Serialisable>(good));
        for (size_t size = 0; size < good.size(); ++size)
            EXPECT_FALSE(LoadStream<Serialisable>(good.substr(0, size)));
        std::uniform_int_distribution<size_t> position(0, good.size() - 1);
        for (int round = 0; round < 500; ++round) {
            std::string damaged = good;
            damaged[position(random)] = static_cast<char>(random());
            DeserialiseObject(std::move(damaged), store);
        }
    }
}
