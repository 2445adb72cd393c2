// SPDX-License-Identifier: MIT
#include "epub/package/NameRules.h"

#include <gtest/gtest.h>

namespace {

TEST(PublicationDate, TakesTheFormsReadersUnderstand) {
    for (const char* date : {"2024", "2024-05", "2024-05-17", "2024-05-17T09:30Z",
                             "2024-05-17T09:30:00Z", "2024-05-17T09:30:00+02:00", "0800"})
        EXPECT_TRUE(EPub::IsPublicationDate(date)) << date;
}

TEST(PublicationDate, RefusesWhatEPubCheckWouldFlag) {
    for (const char* date :
         {"", "24", "0000", "2024-", "2024-13", "2024-00", "2024-05-32", "2024/05/17", "17.05.2024",
          "2024-05-17T", "2024-05-17T25:00Z", "2024-05-17T09:30", "2024-05-17T09:30:00+2",
          "2024-05-17 09:30:00Z", "May 2024", "2024-05-17T09:30:00Zjunk"})
        EXPECT_FALSE(EPub::IsPublicationDate(date)) << date;
}

} // namespace
