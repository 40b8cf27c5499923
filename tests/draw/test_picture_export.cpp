// Picture export: the written PNG files hold exactly the window's picture of the
// requested view, animation frames run from record 0 to the last, and the export
// refuses cleanly without a display or a writable file; the animated GIF holds the same
// frames with the time of their records.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/common/output_target.h"
#include "app/console/window.h"
#include "draw/frame.h"
#include "draw/picture_export.h"
#include "draw/recording_backend.h"
#include "draw/render_support.h"

namespace {

namespace fs = std::filesystem;
using namespace agvtest;

class PictureExport : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("agv_export_" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The picture of file, which must be 800 × 800.
    Picture picture(const fs::path& file) {
        int w = 0, h = 0;
        auto rgb = readPngFile(file.string(), w, h);
        EXPECT_EQ(w, 800);
        EXPECT_EQ(h, 800);
        return Picture(std::move(rgb));
    }
    fs::path dir_;
};

TEST_F(PictureExport, PngHoldsTheWindowPictureOfTheRequestedView) {
    auto ctx = computedContext('3', 4.0, 0.0);
    agv::PictureRequest request;
    request.vehicleType = 2;
    request.motionIndex = -1;
    request.zoomSteps = 2;
    request.shiftX = 3;
    request.shiftY = -1;
    request.pngPath = (dir_ / "view.png").string();
    std::string error;
    ASSERT_EQ(agv::exportPictures(*ctx, request, error), 0) << error;

    // The same view reached with the window's keys.
    auto keyed = computedContext('3', 4.0, 0.0);
    for (unsigned char key : {'2', 'w', 'w', 'X', 'X', 'X', 'y'})
        agv::applyWindowKey(*keyed, key);
    keyed->view.motionIndex = keyed->data.store->recordCount[1];
    const Picture expected = renderFrame(*keyed, agv::CaptionFormat::kExact);
    const Picture written = picture(request.pngPath);
    EXPECT_EQ(written.hash(), expected.hash());
    // Orientation: the title is at the top.
    EXPECT_GT(written.count(kBlack, -0.99, 0.95, -0.4, 0.99), 300);
}

TEST_F(PictureExport, CaptionStatesTheErrorSizeWithItsDecimals) {
    // The window's template truncates 0.5° and 1° alike to " 01".
    for (const double degrees : {0.5, 1.0}) {
        auto ctx = computedContext('3', degrees, 0.0);
        agv::PictureRequest request;
        request.pngPath = (dir_ / "drift.png").string();
        std::string error;
        ASSERT_EQ(agv::exportPictures(*ctx, request, error), 0) << error;
        EXPECT_EQ(picture(request.pngPath).hash(),
                  renderFrame(*ctx, agv::CaptionFormat::kExact).hash());
        agv::RecordingBackend exported, window;
        agv::drawFrame(agv::sceneOf(*ctx, agv::CaptionFormat::kExact), exported);
        agv::drawFrame(agv::sceneOf(*ctx), window);
        const auto says = [](const agv::RecordingBackend& b, const std::string& text) {
            return std::find(b.texts().begin(), b.texts().end(), text) != b.texts().end();
        };
        EXPECT_TRUE(says(exported, degrees == 0.5 ? " 0.5[deg]" : " 1[deg]")) << degrees;
        EXPECT_TRUE(says(window, " 01[deg]")) << degrees;
    }
}

TEST_F(PictureExport, FramesRunFromTheFirstRecordToTheLast) {
    auto ctx = computedContext('0', 0.0, 0.0);
    const int last = ctx->data.store->recordCount[0];
    ASSERT_GT(last % 40, 0);  // the last frame is not on the regular spacing
    agv::PictureRequest request;
    request.framesDir = (dir_ / "frames").string();
    request.frameEvery = 40;
    const int expectedFrames = last / 40 + 2;
    const auto frameFile = [&](int k) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05d.png", k);
        return fs::path(request.framesDir) / name;
    };
    // A folder reused from a longer run: its later frames go, other files stay.
    fs::create_directories(request.framesDir);
    for (const fs::path& stale : {frameFile(expectedFrames), frameFile(expectedFrames + 1),
                                  fs::path(request.framesDir) / "notes.txt"}) {
        std::ofstream(stale) << "earlier run";
    }
    std::string error;
    ASSERT_EQ(agv::exportPictures(*ctx, request, error), 0) << error;

    int files = 0;
    for (const auto& entry : fs::directory_iterator(request.framesDir))
        files += entry.path().extension() == ".png";
    EXPECT_EQ(files, expectedFrames);
    EXPECT_TRUE(fs::exists(fs::path(request.framesDir) / "notes.txt"));
    const auto frame = [&](int k) { return picture(frameFile(k)); };
    auto keyed = computedContext('0', 0.0, 0.0);
    EXPECT_EQ(frame(0).hash(), renderFrame(*keyed).hash());
    keyed->view.motionIndex = 40;
    EXPECT_EQ(frame(1).hash(), renderFrame(*keyed).hash());
    keyed->view.motionIndex = last;
    EXPECT_EQ(frame(expectedFrames - 1).hash(), renderFrame(*keyed).hash());
}

TEST_F(PictureExport, FramesOfARunThatFailsPartWayLeaveTheFolderAsItWas) {
    auto ctx = computedContext('0', 0.0, 0.0);
    agv::PictureRequest request;
    const fs::path folder = dir_ / "frames";
    request.framesDir = folder.string() + "/";
    request.frameEvery = 40;
    fs::create_directories(folder);
    for (int k = 0; k < 30; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05d.png", k);
        std::ofstream(folder / name) << "earlier run";
    }
    const auto contents = [&] {
        std::vector<std::string> texts;
        for (const auto& entry : fs::directory_iterator(dir_))
            texts.push_back(entry.path().filename().string());
        for (const auto& entry : fs::directory_iterator(folder)) {
            std::ifstream in(entry.path());
            texts.push_back(entry.path().filename().string() +
                            std::string(std::istreambuf_iterator<char>(in), {}));
        }
        std::sort(texts.begin(), texts.end());
        return texts;
    };
    const std::vector<std::string> before = contents();
    // The disk fills up at the third frame.
    int written = 0;
    request.writeFile = [&](const std::string& path, const std::vector<std::uint8_t>& bytes,
                            std::string& error) {
        if (++written == 3) {
            error = "cannot write " + path + ": No space left on device";
            return false;
        }
        return agv::writeWholeFile(path, bytes, error);
    };
    std::string error;
    EXPECT_EQ(agv::exportPictures(*ctx, request, error), 1);
    EXPECT_EQ(contents(), before);
    EXPECT_NE(error.find("cannot write " + folder.string() + "/frame_00002.png"), std::string::npos)
        << error;

    // The run that completes replaces the folder whole: no frame of the longer one is left.
    request.writeFile = nullptr;
    ASSERT_EQ(agv::exportPictures(*ctx, request, error), 0) << error;
    const int frames = ctx->data.store->recordCount[0] / 40 + 2;
    ASSERT_LT(frames, 30);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_TRUE(agv::isFrameFileName(entry.path().filename().string())) << entry.path();
        ++files;
    }
    EXPECT_EQ(files, frames);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

// The frames of a GIF composed onto the canvas one after another, with their delays.
struct DecodedGif {
    std::vector<Picture> frames;
    std::vector<int> delays;
};

DecodedGif decodeGif(const std::string& path) {
    DecodedGif decoded;
    int code = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &code);
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK) {
        ADD_FAILURE() << "cannot decode " << path;
        if (gif != nullptr) DGifCloseFile(gif, &code);
        return decoded;
    }
    EXPECT_EQ(gif->SWidth, 800);
    EXPECT_EQ(gif->SHeight, 800);
    std::vector<std::uint8_t> canvas(800 * 800 * 3, 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        decoded.delays.push_back(control.DelayTime);
        const ColorMapObject* map =
            image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int index = image.RasterBits[y * d.Width + x];
                if (index == control.TransparentColor) continue;
                std::uint8_t* px = &canvas[((d.Top + y) * 800 + d.Left + x) * 3];
                px[0] = map->Colors[index].Red;
                px[1] = map->Colors[index].Green;
                px[2] = map->Colors[index].Blue;
            }
        }
        decoded.frames.emplace_back(canvas);
    }
    DGifCloseFile(gif, &code);
    return decoded;
}

TEST_F(PictureExport, GifHoldsTheFramesWithTheTimeOfTheirRecords) {
    auto ctx = computedContext('3', 4.0, 0.0);
    const int last = ctx->data.store->recordCount[1];
    constexpr int kEvery = 30;
    ASSERT_GT(last % kEvery, 0);
    agv::PictureRequest request;
    request.vehicleType = 2;
    request.frameEvery = kEvery;
    request.gifPath = (dir_ / "run.gif").string();
    request.motionIndex = -1;
    request.pngPath = (dir_ / "end.png").string();
    std::string error;
    ASSERT_EQ(agv::exportPictures(*ctx, request, error), 0) << error;

    const DecodedGif gif = decodeGif(request.gifPath);
    const int expectedFrames = last / kEvery + 2;
    ASSERT_EQ(static_cast<int>(gif.frames.size()), expectedFrames);
    // Records are 0.02 s apart: a frame stands for its records, the shorter last step too.
    for (int i = 0; i + 2 < expectedFrames; ++i)
        EXPECT_EQ(gif.delays[i], 2 * kEvery) << i;
    EXPECT_EQ(gif.delays[expectedFrames - 2], 2 * (last % kEvery));
    EXPECT_EQ(gif.delays.back(), 2 * kEvery);

    EXPECT_EQ(gif.frames.back().hash(), picture(request.pngPath).hash());
    auto keyed = computedContext('3', 4.0, 0.0);
    agv::applyWindowKey(*keyed, '2');
    EXPECT_EQ(gif.frames.front().hash(), renderFrame(*keyed, agv::CaptionFormat::kExact).hash());
    keyed->view.motionIndex = kEvery;
    EXPECT_EQ(gif.frames[1].hash(), renderFrame(*keyed, agv::CaptionFormat::kExact).hash());
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
}

TEST_F(PictureExport, RefusesWithoutDisplayOrWritableFile) {
    auto ctx = computedContext('0', 0.0, 0.0);
    agv::PictureRequest request;
    request.pngPath = (dir_ / "no" / "such" / "folder" / "x.png").string();
    std::string error;
    EXPECT_EQ(agv::exportPictures(*ctx, request, error), 1);
    EXPECT_NE(error.find("x.png"), std::string::npos);
    request.pngPath.clear();
    request.gifPath = (dir_ / "no" / "x.gif").string();
    EXPECT_EQ(agv::exportPictures(*ctx, request, error), 1);
    EXPECT_NE(error.find("x.gif"), std::string::npos);
    request.gifPath.clear();

    const char* display = std::getenv("DISPLAY");
    const std::string saved = display != nullptr ? display : "";
    unsetenv("DISPLAY");
    request.pngPath = (dir_ / "x.png").string();
    EXPECT_EQ(agv::exportPictures(*ctx, request, error), 2);
    if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_FALSE(fs::exists(request.pngPath));
}

}  // namespace
