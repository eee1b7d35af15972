#pragma once
// A decoded packed setup: the codebooks (taken from the codebook library by index), floors
// of type 1, residues of types 0 to 2, mappings and modes, with the block sizes, their
// windows and transform tables. Shared by every source whose media carries the same setup.
#include <array>
#include <complex>
#include <cstdint>
#include <vector>

#include "sound/engine/vorbis/SxVorbisCodebook.h"

namespace SX {

struct SxVorbisFloor1 {
    static constexpr uint32_t kMaxValues = 65;
    uint32_t partitions = 0;
    uint8_t partitionClass[32] = {};
    uint8_t classDimensions[16] = {};
    uint8_t classSubclasses[16] = {};
    int16_t classMaster[16] = {};
    int16_t subclassBooks[16][8] = {};
    uint32_t multiplier = 1;
    std::vector<uint16_t> x;           // the X list, the two end points first
    std::vector<uint8_t> sorted;       // indexes of x in increasing order
    std::vector<uint8_t> lowNeighbor;  // per value from 2 on
    std::vector<uint8_t> highNeighbor;
};

struct SxVorbisResidue {
    uint32_t type = 0;
    uint32_t begin = 0;
    uint32_t end = 0;
    uint32_t partitionSize = 1;
    uint32_t classifications = 1;
    uint32_t classbook = 0;
    std::vector<std::array<int16_t, 8>> books;  // per classification and pass, -1 none
};

struct SxVorbisMapping {
    struct Coupling {
        uint8_t magnitude, angle;
    };
    uint32_t submaps = 1;
    std::vector<Coupling> coupling;
    std::vector<uint8_t> mux;  // submap of each channel
    uint8_t submapFloor[16] = {};
    uint8_t submapResidue[16] = {};
};

struct SxVorbisMode {
    uint32_t blockFlag = 0;
    uint32_t mapping = 0;
};

// Sizes of the blocks whose windows exist: 256 to 4096 samples.
constexpr uint32_t SxVorbisMinBlockLog2 = 8;
constexpr uint32_t SxVorbisMaxBlockLog2 = 12;

// The library of packed codebooks the setups index.
struct SxVorbisLibrary {
    const uint8_t* data = nullptr;
    const uint32_t* offsets = nullptr;  // count + 1 offsets into data
    uint32_t count = 0;
};
// The library built into the program.
const SxVorbisLibrary& SxVorbisBuiltInLibrary();

class SxVorbisSetup {
public:
    static constexpr size_t kMaxMemory = 16u << 20;

    // Parses the packed setup for a channel count and the two block-size exponents. False for
    // any structural error: block sizes without windows, a library index at or past the
    // library's size, a book, floor, residue, mapping or channel number past its list,
    // reserved bits set, a setup that ends early, or more memory than the bound.
    bool Parse(const uint8_t* packet, uint32_t size, uint32_t channels, uint32_t shortLog2, uint32_t longLog2,
               const SxVorbisLibrary& library);

    uint32_t channels = 0;
    uint32_t blockSize[2] = {};
    size_t memoryUse = 0;  // bytes of the codebooks, the largest part by far
    std::vector<SxVorbisCodebook> codebooks;
    std::vector<SxVorbisFloor1> floors;
    std::vector<SxVorbisResidue> residues;
    std::vector<SxVorbisMapping> mappings;
    std::vector<SxVorbisMode> modes;
    // Per block flag: the rising half of the window, the transform's twiddles. The FFT's
    // twiddles are laid out stage by stage from the stage of length 8 (the two before it need
    // none but 1 and -i), each stage's h = length / 2 values exp(-2 pi i k / length) in a row, the
    // real and imaginary parts apart, so that each stage's loop reads them in order.
    std::vector<float> window[2];
    std::vector<std::complex<float>> preTwiddle[2];
    std::vector<std::complex<float>> postTwiddle[2];
    std::vector<float> stageTwiddleRe[2];
    std::vector<float> stageTwiddleIm[2];
    std::vector<uint32_t> bitReverse[2];

private:
    bool ParseFloor(SxVorbisBits& bits, SxVorbisFloor1& floor) const;
    bool ParseResidue(SxVorbisBits& bits, SxVorbisResidue& residue) const;
    bool ParseMapping(SxVorbisBits& bits, SxVorbisMapping& mapping) const;
    void BuildTables(uint32_t flag);
};

}  // namespace SX
