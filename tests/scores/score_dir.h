// Each test in a working directory of its own, with a fresh table.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "scores/high_score_table.h"
#include "tests/support/scratch_dir.h"

class ScoreDir : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_.Enter("scores");
        highScoreTable = {};
        finalScore = 0;
    }
    void TearDown() override {
        scratch_.Leave();
        finalScore = 0;
    }

    static std::vector<unsigned char> ReadScoreFile() {
        std::ifstream in(kScoreFileName, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void WriteScoreFile(const std::vector<unsigned char>& bytes) {
        std::ofstream out(kScoreFileName, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static void PutInt(std::vector<unsigned char>& bytes, int32_t value) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(static_cast<uint32_t>(value) >> (8 * i)));
    }
    static void PutRecord(std::vector<unsigned char>& bytes, const std::string& name, int32_t score) {
        std::string field = name;
        field.resize(kNameFieldSize, '\0');
        bytes.insert(bytes.end(), field.begin(), field.end());
        PutInt(bytes, score);
    }
    // A file of the given records, count field equal to their number.
    static std::vector<unsigned char> TableBytes(const std::vector<std::pair<std::string, int32_t>>& records) {
        std::vector<unsigned char> bytes;
        PutInt(bytes, static_cast<int32_t>(records.size()));
        for (const auto& [name, score] : records) PutRecord(bytes, name, score);
        return bytes;
    }
    static std::vector<std::string> DirEntries() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(".")) names.push_back(entry.path().filename().string());
        return names;
    }

private:
    testsupport::ScratchDir scratch_;
};
