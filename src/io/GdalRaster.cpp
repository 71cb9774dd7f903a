#include "io/GdalRaster.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <gdal_frmts.h>

#include "files/Error.h"
#include "io/DecoderMemory.h"
#include "io/GdalClaims.h"
#include "io/GdalGeoReference.h"
#include "io/GdalMosaic.h"
#include "io/GdalSession.h"
#include "io/MosaicDescription.h"

namespace orvalis {

namespace {

// The drivers we read: pictures and elevation grids whose data lie in the
// file itself (and EHdr, whose ".hdr" beside it the view shows too).
// Formats that point at other files or at the network (VRT, WMS, an ERS
// header naming its data file, ...) are left out on purpose: a heightmap
// must not make us read elsewhere (a mosaic's sources are opened by us, see
// GdalMosaic). BIGGIF, GDAL's reader of GIF pictures
// above 100 million pixels, joins for pictures that are not interlaced: it
// would write a temporary copy to read those.
const char* const kAcceptedDrivers[] = {
    "PNG", "JPEG", "GTiff", "GIF", "WEBP", "PNM", "SRTMHGT", "AAIGrid", "GRASSASCIIGrid",
    "DTED", "USGSDEM", "GSAG", "GSBG", "GS7BG", "BT", "HFA", "EHdr", "NWT_GRD"};

// The formats of a mosaic's sources: the elevation tiles people join.
const char* const kSourceDrivers[] = {"GTiff", "SRTMHGT", "PNG", nullptr};

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

bool IsGif(const InputFile& file) {
    std::uint8_t signature[4] = {};
    if (file.Size() < sizeof signature) return false;
    file.ReadAt(0, signature);
    return std::memcmp(signature, "GIF8", 4) == 0;
}

std::vector<const char*> DriversFor(const InputFile& file) {
    std::vector<const char*> drivers(std::begin(kAcceptedDrivers), std::end(kAcceptedDrivers));
    if (IsGif(file) && !WalkGifFrames(file).FirstInterlaced) drivers.push_back("BIGGIF");
    drivers.push_back(nullptr);
    return drivers;
}

// GDAL's names of the view's files, as the sibling list GDAL would have made.
CPLStringList SiblingList(const GdalFileView& view) {
    CPLStringList names;
    for (const std::string& name : view.FileNames()) names.AddString(name.c_str());
    return names;
}

int CPL_STDCALL KeepReading(double, const char*, void* cancel) {
    const auto* flag = static_cast<const CancelFlag*>(cancel);
    return flag == nullptr || !flag->load(std::memory_order_relaxed);
}

// Only the drivers we read with (kAcceptedDrivers, and MEM for writing
// GeoTIFF): every driver GDAL has would cost each run some 8 MiB and time
// to register. The others join only to name a format we refuse.
void RegisterOwnDrivers() {
    for (void (*add)() : {GDALRegister_GTiff, GDALRegister_PNG, GDALRegister_JPEG, GDALRegister_GIF,
                          GDALRegister_BIGGIF, GDALRegister_WEBP, GDALRegister_PNM, GDALRegister_SRTMHGT,
                          GDALRegister_AAIGrid, GDALRegister_GRASSASCIIGrid, GDALRegister_DTED,
                          GDALRegister_USGSDEM, GDALRegister_GSAG, GDALRegister_GSBG, GDALRegister_GS7BG,
                          GDALRegister_BT, GDALRegister_HFA, GDALRegister_EHdr, GDALRegister_NWT_GRD,
                          GDALRegister_MEM}) {
        add();
    }
}

void RegisterEveryDriver() {
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
}

// headerProblem: why a ".hdr" beside the file was left out, or nothing.
[[noreturn]] void RefuseUnreadable(const std::string& path, const GdalFileView& view,
                                   const InputFile& file, const std::string& headerProblem) {
    const std::string gdalMessage = QuietGdal::LastMessage() + headerProblem;
    RegisterEveryDriver();
    if (GDALDriverH driver =
            GDALIdentifyDriverEx(view.Name().c_str(), GDAL_OF_RASTER, nullptr, SiblingList(view).List())) {
        const std::string name = GDALGetDriverShortName(driver);
        if (std::find_if(std::begin(kAcceptedDrivers), std::end(kAcceptedDrivers),
                         [&](const char* d) { return name == d; }) == std::end(kAcceptedDrivers)) {
            throw Error(path, "the " + std::string(GDALGetDriverLongName(driver)) +
                                  " format is not supported");
        }
        // GDAL's GIF driver leaves such pictures to BIGGIF, which we do not
        // let read interlaced ones (see kAcceptedDrivers).
        const GifFrames frames = name == "GIF" ? WalkGifFrames(file) : GifFrames{};
        if (frames.FirstInterlaced && frames.FirstPixels > 100'000'000) {
            throw Error(path, "interlaced GIF pictures of more than 100 million pixels are not supported");
        }
        throw Error(path, "cannot be read as " + name + gdalMessage);
    }
    throw Error(path, "not a picture in a supported format (BMP, PNG, JPEG, TIFF, RAW, "
                      "HGT, ASC and other elevation grids)" + gdalMessage);
}

// A format whose data lie in another file (an ERDAS Imagine spill file,
// named inside the header) is refused before anything is read: the view
// would not show that file, and we read only the files we were given.
void RefuseOtherFiles(const std::string& path, GDALDatasetH dataset, const GdalFileView& view) {
    const CPLStringList files(GDALGetFileList(dataset));
    for (int i = 0; i < files.size(); ++i) {
        const std::string name = view.UserName(files[i]);
        const auto& own = view.FileNames();
        // GDAL finds ".hdr" as ".HDR" too, and may then name it either way.
        if (std::none_of(own.begin(), own.end(), [&](const std::string& n) { return EQUAL(n.c_str(), name.c_str()); })) {
            throw Error(path, "its data are kept in another file, '" + DisplayPath(name) +
                                  "', and only pictures held in one file are supported");
        }
    }
}

// A mosaic's cells lie in its sources, so only the memory limit bounds
// what it claims, as for a codec.
Storage StorageOf(const std::string& driver, GDALDatasetH dataset) {
    if (IsOneOf(driver, {"PNG", "JPEG", "GIF", "BIGGIF", "WEBP", "VRT"})) return Storage::Compressed;
    if (IsOneOf(driver, {"AAIGrid", "GRASSASCIIGrid", "GSAG", "USGSDEM"})) return Storage::Text;
    const char* compression = GDALGetMetadataItem(dataset, "COMPRESSION", "IMAGE_STRUCTURE");
    if (compression != nullptr && !EQUAL(compression, "NONE")) return Storage::Compressed;
    return Storage::Stored;
}

SampleKind KindOf(GDALDataType type) {
    if (type == GDT_Byte) return SampleKind::Byte;
    if (type == GDT_UInt16) return SampleKind::Word;
    return SampleKind::Real;
}

void CheckSampleType(const std::string& path, GDALDataType type) {
    if (GDALDataTypeIsComplex(type) || type == GDT_Unknown) {
        throw Error(path, std::string(GDALGetDataTypeName(type)) + " samples are not supported");
    }
}

// The bands that make the picture: a GIF's further bands are the frames of
// an animation, of which the first is the picture.
int PictureBands(const std::string& driver, GDALDatasetH dataset) {
    return IsOneOf(driver, {"GIF", "BIGGIF"}) ? 1 : GDALGetRasterCount(dataset);
}

// Grey (+ alpha), red-green-blue (+ alpha) or a palette: how many channels
// the picture has once a palette is expanded.
int ChannelsOf(const std::string& path, int bands, bool palette, SampleKind kind) {
    if (bands < 1 || bands > 4) {
        throw Error(path, std::to_string(bands) + " bands are not supported (1 to 4)");
    }
    const int channels = bands >= 3 || palette ? 3 : 1;
    if (channels == 3 && kind == SampleKind::Real) {
        throw Error(path, "colour pictures of signed or floating-point samples are not supported");
    }
    if (palette && kind != SampleKind::Byte) {
        throw Error(path, "palettes of more than 256 colours are not supported");
    }
    return channels;
}

// The declared bits of a band's samples when fewer than its type holds
// (a 12-bit TIFF, a 1-bit PNG); 0 otherwise.
int SignificantBits(GDALRasterBandH band, GDALDataType type) {
    const char* declared = GDALGetMetadataItem(band, "NBITS", "IMAGE_STRUCTURE");
    const int bits = declared ? std::atoi(declared) : 0;
    return bits >= 1 && bits < GDALGetDataTypeSizeBits(type) ? bits : 0;
}

void ExpandPalette(GDALColorTableH palette, std::vector<std::uint16_t>& samples) {
    const int entries = GDALGetColorEntryCount(palette);
    for (std::size_t i = 0; i < samples.size(); i += 3) {
        const int index = samples[i];
        const GDALColorEntry* e = index < entries ? GDALGetColorEntry(palette, index) : nullptr;
        samples[i] = static_cast<std::uint16_t>(e ? e->c1 : 0);
        samples[i + 1] = static_cast<std::uint16_t>(e ? e->c2 : 0);
        samples[i + 2] = static_cast<std::uint16_t>(e ? e->c3 : 0);
    }
}

GDALRasterIOExtraArg StoppableBy(const CancelFlag* cancel) {
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.pfnProgress = KeepReading;
    extra.pProgressData = const_cast<CancelFlag*>(cancel);
    return extra;
}

}  // namespace

void StartGdal() {
    static std::once_flag started;
    std::call_once(started, [] {
        CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
        // A progressive JPEG's coefficients count in our memory limit
        // instead of GDAL's and libjpeg's own (libjpeg keeps no limit unless
        // the environment's JPEGMEM sets one, or GDAL, missing this option, does).
        CPLSetConfigOption("GDAL_ALLOW_LARGE_LIBJPEG_MEM_ALLOC", "YES");
        CPLSetConfigOption("JPEGMEM", "no limit of GDAL's");
        GDALSetCacheMax64(static_cast<GIntBig>(kGdalCacheBytes));
        RegisterOwnDrivers();
    });
}

GdalRaster::GdalRaster(const std::string& path, const CancelFlag* cancel, GdalRole role)
    : path_(path), cancel_(cancel), file_(path) {
    StartGdal();
    const QuietGdal quiet;
    if (file_.Size() == 0) throw Error(path, "the file is empty");
    if (role == GdalRole::Picture && IsMosaic(file_)) {
        mosaic_ = std::make_unique<GdalMosaic>(path, file_, cancel);
        dataset_.reset(mosaic_->Build());
    } else {
        OpenFile(role);
    }
    Describe();
    PlanBands();
}

void GdalRaster::OpenFile(GdalRole role) {
    if (role == GdalRole::Picture) OpenHeaderBeside();
    std::vector<const InputFile*> sidecars;
    if (header_) sidecars.push_back(&*header_);
    view_ = std::make_unique<GdalFileView>(file_, sidecars, cancel_);
    const std::vector<const char*> drivers =
        role == GdalRole::Picture ? DriversFor(file_)
                                  : std::vector<const char*>(std::begin(kSourceDrivers), std::end(kSourceDrivers));
    dataset_.reset(GDALOpenEx(view_->Name().c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers.data(), nullptr,
                              SiblingList(*view_).List()));
    if (!dataset_) {
        ThrowIfCancelled(cancel_);
        if (role == GdalRole::MosaicSource) throw Error(path_, "not a GeoTIFF, HGT or PNG file" + QuietGdal::LastMessage());
        RefuseUnreadable(path_, *view_, file_, headerProblem_);
    }
    RefuseOtherFiles(path_, dataset_.get(), *view_);
}

GdalRaster::~GdalRaster() = default;

void GdalRaster::CloseDataset::operator()(void* dataset) const { GDALClose(dataset); }

// An EHdr picture's header is STEM.hdr beside it, a regular file like the
// picture; any other file there plays no part.
void GdalRaster::OpenHeaderBeside() {
    std::filesystem::path header(path_);
    std::string extension = header.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".hdr") return;
    for (const char* candidate : {".hdr", ".HDR"}) {
        header.replace_extension(candidate);
        try {
            header_.emplace(header.string());
            return;
        } catch (const FileNotFoundError&) {
            // None there: the picture is read alone.
        } catch (const InputFileError& e) {
            headerProblem_ = " (its header " + DisplayPath(header.string()) + " " + e.Problem() + ")";
        }
    }
}

void GdalRaster::Describe() {
    GDALDatasetH dataset = dataset_.get();
    CheckWorldSize(path_, GDALGetRasterXSize(dataset), GDALGetRasterYSize(dataset));
    if (GDALGetRasterCount(dataset) < 1) throw Error(path_, "holds no picture");
    GDALRasterBandH first = GDALGetRasterBand(dataset, 1);
    const GDALDataType type = GDALGetRasterDataType(first);
    CheckSampleType(path_, type);
    const char* pixelType = GDALGetMetadataItem(first, "PIXELTYPE", "IMAGE_STRUCTURE");
    signedBytes_ = type == GDT_Byte && pixelType != nullptr && EQUAL(pixelType, "SIGNEDBYTE");
    const bool palette = GDALGetRasterColorTable(first) != nullptr;
    const int significantBits = palette || signedBytes_ ? 0 : SignificantBits(first, type);

    RasterSamples& s = layout_;
    // The mosaic we build has no driver of GDAL's.
    s.Format = mosaic_ ? "VRT" : GDALGetDriverShortName(GDALGetDatasetDriver(dataset));
    s.SampleType = signedBytes_ ? "Int8" : GDALGetDataTypeName(type);
    s.BitsPerSample = significantBits ? significantBits : GDALGetDataTypeSizeBits(type);
    s.Width = GDALGetRasterXSize(dataset);
    s.Rows = GDALGetRasterYSize(dataset);
    s.Kind = signedBytes_ ? SampleKind::Real : KindOf(type);
    s.Channels = ChannelsOf(path_, PictureBands(s.Format, dataset), palette, s.Kind);
    s.Geo = GeoReferenceOf(dataset);
}

void GdalRaster::PlanBands() {
    GDALDatasetH dataset = dataset_.get();
    GDALRasterBandH first = GDALGetRasterBand(dataset, 1);
    int blockWidth = 0, blockRows = 0;
    GDALGetBlockSize(first, &blockWidth, &blockRows);
    const int sampleBytes = GDALGetDataTypeSizeBytes(GDALGetRasterDataType(first));
    const Storage storage = StorageOf(layout_.Format, dataset);
    CheckBlockClaims(path_, storage, layout_, blockWidth, blockRows, sampleBytes, file_.Size());
    claimFits_ = ClaimFits(storage, layout_, sampleBytes, file_.Size());

    // Blocks of at most 2^22 x 2^22 samples (CheckBlockClaims) of at most 16
    // bytes, of at most 4 bands (ChannelsOf): below 2^50; the blocks of a
    // row, and of the picture, cover less than twice its sides: below 2^52.
    const int bands = PictureBands(layout_.Format, dataset);
    const std::uint64_t blockBytes = std::uint64_t{1} * blockWidth * blockRows * sampleBytes * bands;
    const std::uint64_t blocksAcross = (layout_.Width + blockWidth - 1) / blockWidth;
    // Real samples pass through a band of doubles on their way into the
    // picture's plane; one band of the whole picture would double its size.
    std::int64_t rows = layout_.Kind == SampleKind::Real
                            ? std::clamp<std::int64_t>(kBandPixels / layout_.Width, 1, layout_.Rows)
                            : RowsPerBand(layout_.Width, layout_.Rows);
    // A row of blocks that GDAL's cache cannot keep is read in one go, each
    // block once; otherwise bands end where blocks do.
    if (blocksAcross > 1 && blocksAcross * blockBytes > kGdalCacheBytes / 2) {
        rows = std::max<std::int64_t>(rows / blockRows, 1) * blockRows;
    } else if (blockRows <= rows) {
        rows = (rows + blockRows - 1) / blockRows * blockRows;
    }
    bandRows_ = static_cast<std::int32_t>(std::min<std::int64_t>(rows, layout_.Rows));
    bandsEndWithBlocks_ = bandRows_ % blockRows == 0;
    // The cache fills with no more than the picture's own blocks.
    const std::uint64_t picture = blocksAcross * blockBytes * ((layout_.Rows + blockRows - 1) / blockRows);
    cacheBytes_ = std::min(kGdalCacheBytes, picture);
    ownDecoderBytes_ = blockBytes + orvalis::DecoderBytes(layout_.Format, file_, layout_.Width, layout_.Rows, bands,
                                                          sampleBytes);
    if (mosaic_) {
        cacheBytes_ = kGdalCacheBytes;  // the sources' blocks
        ownDecoderBytes_ += mosaic_->SourceDecoderBytes();
    }
}

void GdalRaster::CheckWholeRead() const {
    CheckHoldsWhole(path_, layout_);
    if (claimFits_) return;
    throw Error(path_, "claims " + std::to_string(layout_.Width) + " x " + std::to_string(layout_.Rows) +
                           " pixels, more than its " + std::to_string(file_.Size()) + " bytes can hold");
}

void GdalRaster::ReadWindow(const SampleWindow& window, RasterSamples& band) const {
    const QuietGdal quiet;
    band = layout_;
    band.Width = window.Width;
    band.Rows = window.Rows;
    if (layout_.Kind == SampleKind::Real) {
        ReadReal(window, band);
    } else {
        ReadWhole(window, band);
    }
    DropReadBlocks();
}

// The bands are read in turn, and when they end where blocks do, no block
// is read twice: GDAL's cache then only keeps memory that the next band's
// blocks would take anew.
void GdalRaster::DropReadBlocks() const {
    if (!bandsEndWithBlocks_) return;
    for (int b = 1; b <= PictureBands(layout_.Format, dataset_.get()); ++b) {
        GDALFlushRasterCache(GDALGetRasterBand(dataset_.get(), b));
    }
}

void GdalRaster::ReadWhole(const SampleWindow& window, RasterSamples& s) const {
    s.Whole.resize(static_cast<std::size_t>(s.Width) * s.Rows * s.Channels);
    GDALDatasetH dataset = dataset_.get();
    GDALColorTableH palette = GDALGetRasterColorTable(GDALGetRasterBand(dataset, 1));
    const int bandsToRead = palette ? 1 : s.Channels;
    int bandMap[] = {1, 2, 3};
    const int pixelSpace = s.Channels * 2;
    GDALRasterIOExtraArg extra = StoppableBy(cancel_);
    if (GDALDatasetRasterIOEx(dataset, GF_Read, window.Column, window.Row, s.Width, s.Rows, s.Whole.data(), s.Width,
                              s.Rows, GDT_UInt16, bandsToRead, bandMap, pixelSpace,
                              static_cast<GSpacing>(pixelSpace) * s.Width, 2, &extra) != CE_None) {
        RefuseRead();
    }
    if (palette) ExpandPalette(palette, s.Whole);
}

// Cells without data become NaN, which the height mapping counts as the lowest.
void GdalRaster::ReadReal(const SampleWindow& window, RasterSamples& s) const {
    s.Real.resize(static_cast<std::size_t>(s.Width) * s.Rows);
    GDALRasterBandH band = GDALGetRasterBand(dataset_.get(), 1);
    GDALRasterIOExtraArg extra = StoppableBy(cancel_);
    if (GDALRasterIOEx(band, GF_Read, window.Column, window.Row, s.Width, s.Rows, s.Real.data(), s.Width, s.Rows,
                       GDT_Float64, 0, 0, &extra) != CE_None) {
        RefuseRead();
    }
    if (signedBytes_) {
        for (double& v : s.Real) v = v >= 128 ? v - 256 : v;
    }
    int hasNoData = 0;
    const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
    if (!hasNoData) return;
    for (double& v : s.Real) {
        if (v == noData) v = std::numeric_limits<double>::quiet_NaN();
    }
}

void GdalRaster::RefuseRead() const {
    ThrowIfCancelled(cancel_);
    throw Error(path_, "the picture data is damaged or cut short" + QuietGdal::LastMessage());
}

}  // namespace orvalis
