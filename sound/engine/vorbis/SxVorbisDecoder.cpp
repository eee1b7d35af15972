#include "sound/engine/vorbis/SxVorbisDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sound/engine/vorbis/SxVorbisFloorTable.h"

namespace SX {

namespace {

constexpr uint32_t kRanges[4] = {256, 128, 86, 64};

// Where each output channel (the media file's order) comes from in the codec's order.
const uint8_t* ChannelOrder(uint32_t channels) {
    static const uint8_t identity[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    static const uint8_t three[3] = {0, 2, 1};
    static const uint8_t five[5] = {0, 2, 1, 3, 4};
    static const uint8_t six[6] = {0, 2, 1, 5, 3, 4};
    switch (channels) {
        case 3:
            return three;
        case 5:
            return five;
        case 6:
            return six;
        default:
            return identity;
    }
}

int32_t RenderPoint(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x) {
    const int32_t dy = y1 - y0, adx = x1 - x0;
    const int32_t offset = std::abs(dy) * (x - x0) / adx;
    return dy < 0 ? y0 - offset : y0 + offset;
}

// An overlap-added value to a 16-bit sample: / 512, rounded to nearest (ties to even) and
// clamped. Clamping first keeps the value below 2^22, where adding and taking away 1.5 x 2^23
// rounds exactly as the default rounding does, without a library call.
inline int16_t To16(float value) {
    const float clamped = std::clamp(value * (1.0f / 512.0f), -32768.0f, 32767.0f);
    return static_cast<int16_t>(static_cast<int32_t>((clamped + 12582912.0f) - 12582912.0f));
}

// One FFT stage's butterflies over a group: a + w b and a - w b for h pairs, the halves of the
// group and the twiddles in arrays that do not overlap.
void Butterflies(float* __restrict ar, float* __restrict ai, float* __restrict br, float* __restrict bi,
                 const float* __restrict wr, const float* __restrict wi, uint32_t h) {
    for (uint32_t k = 0; k < h; ++k) {
        const float tr = br[k] * wr[k] - bi[k] * wi[k];
        const float ti = br[k] * wi[k] + bi[k] * wr[k];
        br[k] = ar[k] - tr;
        bi[k] = ai[k] - ti;
        ar[k] += tr;
        ai[k] += ti;
    }
}

}  // namespace

const float SxVorbisDecoder::kSpectrumScale = 512.0f * 32768.0f;

bool SxVorbisDecoder::Init(std::shared_ptr<const SxVorbisSetup> setup, uint32_t channels) {
    if (!setup || setup->channels != channels || channels == 0) return false;
    m_setup = std::move(setup);
    m_channels = channels;
    const uint32_t longSize = m_setup->blockSize[1];
    m_work.assign(size_t(channels) * longSize / 2, 0.0f);
    m_overlap.assign(size_t(channels) * longSize / 4, 0.0f);
    m_fftRe.assign(longSize / 4, 0.0f);
    m_fftIm.assign(longSize / 4, 0.0f);
    m_floorY.assign(size_t(channels) * SxVorbisFloor1::kMaxValues, 0);
    m_floorStep.assign(size_t(channels) * SxVorbisFloor1::kMaxValues, 0);
    size_t partitions = 0;
    for (const SxVorbisResidue& residue : m_setup->residues) {
        const uint64_t size = uint64_t(longSize / 2) * (residue.type == 2 ? channels : 1);
        const uint64_t end = std::min<uint64_t>(residue.end, size);
        const uint64_t begin = std::min<uint64_t>(residue.begin, end);
        partitions = std::max<size_t>(partitions, (end - begin) / residue.partitionSize + 1);
    }
    m_classes.assign(size_t(channels) * partitions, 0);
    m_pending.assign(size_t(channels) * longSize / 2, 0);
    Reset(0, 0);
    return true;
}

void SxVorbisDecoder::Reset(uint32_t startDrop, uint32_t endDrop) {
    m_pendingStart = m_pendingEnd = 0;
    m_previousFlag = 0;
    m_first = true;
    m_lastSeen = false;
    m_startDrop = startDrop;
    m_endDrop = endDrop;
}

SXRESULT SxVorbisDecoder::DecodeFrames(const uint8_t* region, uint32_t available, bool final, uint32_t maxPacket,
                                       uint32_t request, int16_t* out, uint32_t& consumed, uint32_t& produced) {
    consumed = 0;
    produced = 0;
    for (;;) {
        const uint32_t pending = m_pendingEnd - m_pendingStart;
        if (pending > 0) {
            const uint32_t take = std::min(pending, request - produced);
            std::memcpy(out + size_t(produced) * m_channels, &m_pending[size_t(m_pendingStart) * m_channels],
                        size_t(take) * m_channels * sizeof(int16_t));
            m_pendingStart += take;
            produced += take;
        }
        if (produced == request || m_lastSeen) break;
        // A final region that cannot hold another whole packet ends here: the rest is cut short.
        if (available - consumed < 2) {
            m_lastSeen |= final;
            break;
        }
        const uint8_t* record = region + consumed;
        const uint32_t size = record[0] | uint32_t(record[1]) << 8;
        if (size > maxPacket) return SX_Fail;
        if (size > available - consumed - 2) {
            m_lastSeen |= final;
            break;
        }
        consumed += 2 + size;
        DecodePacket(record + 2, size, final && consumed == available);
    }
    if (m_lastSeen && m_pendingStart == m_pendingEnd) return SX_NoMoreData;
    return produced > 0 ? SX_DataReady : SX_NoDataReady;
}

bool SxVorbisDecoder::DecodePacket(const uint8_t* packet, uint32_t size, bool last) {
    const SxVorbisSetup& setup = *m_setup;
    SxVorbisBits bits(packet, size);
    const uint32_t modeNumber = bits.Read(SxVorbisILog(uint32_t(setup.modes.size()) - 1));
    if (bits.Overrun() || modeNumber >= setup.modes.size()) {
        if (last) m_lastSeen = true;
        return false;
    }
    const SxVorbisMode& mode = setup.modes[modeNumber];
    const uint32_t flag = mode.blockFlag;
    const uint32_t n = setup.blockSize[flag], half = n / 2;
    const uint32_t previous = setup.blockSize[m_previousFlag];
    const uint32_t returned = m_first ? 0 : previous / 4 + n / 4;

    // A packet wholly inside a drop long enough to swallow the next packet's frames too need
    // not be decoded: nothing it overlaps with is heard.
    if (!m_first && m_startDrop >= returned + setup.blockSize[1] / 2 && !last) {
        m_startDrop -= returned;
        m_previousFlag = flag;
        return true;
    }

    const SxVorbisMapping& mapping = setup.mappings[mode.mapping];
    bool unused[256];
    bool skip[256];
    for (uint32_t c = 0; c < m_channels; ++c) {
        const SxVorbisFloor1& floor = setup.floors[mapping.submapFloor[mapping.mux[c]]];
        unused[c] = !DecodeFloor(bits, floor, &m_floorY[c * SxVorbisFloor1::kMaxValues],
                                 &m_floorStep[c * SxVorbisFloor1::kMaxValues]);
        skip[c] = unused[c];
        std::fill_n(&m_work[size_t(c) * setup.blockSize[1] / 2], half, 0.0f);
    }
    for (const SxVorbisMapping::Coupling& step : mapping.coupling)
        if (!skip[step.magnitude] || !skip[step.angle]) skip[step.magnitude] = skip[step.angle] = false;
    for (uint32_t s = 0; s < mapping.submaps; ++s) {
        float* vectors[256];
        bool submapSkip[256];
        uint32_t count = 0;
        for (uint32_t c = 0; c < m_channels; ++c) {
            if (mapping.mux[c] != s) continue;
            vectors[count] = &m_work[size_t(c) * setup.blockSize[1] / 2];
            submapSkip[count++] = skip[c];
        }
        DecodeResidue(bits, setup.residues[mapping.submapResidue[s]], vectors, submapSkip, count, half);
    }
    for (size_t i = mapping.coupling.size(); i-- > 0;) {
        float* magnitude = &m_work[size_t(mapping.coupling[i].magnitude) * setup.blockSize[1] / 2];
        float* angle = &m_work[size_t(mapping.coupling[i].angle) * setup.blockSize[1] / 2];
        for (uint32_t j = 0; j < half; ++j) {
            const float m = magnitude[j], a = angle[j];
            if (m > 0) {
                if (a > 0)
                    angle[j] = m - a;
                else {
                    angle[j] = m;
                    magnitude[j] = m + a;
                }
            } else {
                if (a > 0)
                    angle[j] = m + a;
                else {
                    angle[j] = m;
                    magnitude[j] = m - a;
                }
            }
        }
    }
    for (uint32_t c = 0; c < m_channels; ++c) {
        float* v = &m_work[size_t(c) * setup.blockSize[1] / 2];
        if (unused[c]) {
            std::fill_n(v, half, 0.0f);
        } else {
            const SxVorbisFloor1& floor = setup.floors[mapping.submapFloor[mapping.mux[c]]];
            ApplyFloor(floor, &m_floorY[c * SxVorbisFloor1::kMaxValues], &m_floorStep[c * SxVorbisFloor1::kMaxValues],
                       v, half);
        }
        InverseTransform(v, flag);
    }

    uint32_t start = std::min(m_startDrop, returned);
    m_startDrop -= start;
    uint32_t end = returned;
    if (last) {
        end = returned > m_endDrop ? returned - m_endDrop : 0;
        end = std::max(end, start);
        m_lastSeen = true;
    }
    Output(flag, start, end);
    m_first = false;
    m_previousFlag = flag;
    return true;
}

bool SxVorbisDecoder::DecodeFloor(SxVorbisBits& bits, const SxVorbisFloor1& floor, int32_t* y, uint8_t* step2) const {
    if (!bits.Read(1)) return false;
    const uint32_t range = kRanges[floor.multiplier - 1];
    const uint32_t width = SxVorbisILog(range - 1);
    y[0] = static_cast<int32_t>(bits.Read(width));
    y[1] = static_cast<int32_t>(bits.Read(width));
    uint32_t offset = 2;
    for (uint32_t p = 0; p < floor.partitions; ++p) {
        const uint32_t cls = floor.partitionClass[p];
        const uint32_t dims = floor.classDimensions[cls];
        const uint32_t subBits = floor.classSubclasses[cls];
        const uint32_t subMask = (1u << subBits) - 1;
        uint32_t value = 0;
        if (subBits > 0) {
            const int32_t master = m_setup->codebooks[floor.classMaster[cls]].DecodeScalar(bits);
            if (master < 0) return false;
            value = static_cast<uint32_t>(master);
        }
        for (uint32_t d = 0; d < dims; ++d) {
            const int32_t book = floor.subclassBooks[cls][value & subMask];
            value >>= subBits;
            int32_t decoded = 0;
            if (book >= 0) {
                decoded = m_setup->codebooks[book].DecodeScalar(bits);
                if (decoded < 0) return false;  // the packet ended: this channel is silent
            }
            y[offset + d] = decoded;
        }
        offset += dims;
    }
    // Turn the coded differences into the curve's points.
    const size_t values = floor.x.size();
    step2[0] = step2[1] = 1;
    for (size_t i = 2; i < values; ++i) {
        const uint32_t low = floor.lowNeighbor[i], high = floor.highNeighbor[i];
        const int32_t predicted = RenderPoint(floor.x[low], y[low], floor.x[high], y[high], floor.x[i]);
        const int32_t value = y[i];
        const int32_t highRoom = static_cast<int32_t>(range) - predicted;
        const int32_t lowRoom = predicted;
        const int32_t room = std::min(highRoom, lowRoom) * 2;
        if (value != 0) {
            step2[low] = step2[high] = step2[i] = 1;
            if (value >= room)
                y[i] = highRoom > lowRoom ? value - lowRoom + predicted : predicted - value + highRoom - 1;
            else
                y[i] = (value & 1) ? predicted - (value + 1) / 2 : predicted + value / 2;
        } else {
            step2[i] = 0;
            y[i] = predicted;
        }
    }
    return true;
}

void SxVorbisDecoder::ApplyFloor(const SxVorbisFloor1& floor, const int32_t* y, const uint8_t* step2, float* v,
                                 uint32_t n) const {
    const int32_t multiplier = static_cast<int32_t>(floor.multiplier);
    auto gain = [&](int32_t value) { return SxVorbisFloorGain[std::clamp(value, 0, 255)] * kSpectrumScale; };
    auto line = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        const int32_t dy = y1 - y0, adx = x1 - x0;
        const int32_t base = dy / adx;
        const int32_t sy = dy < 0 ? base - 1 : base + 1;
        const int32_t ady = std::abs(dy) - std::abs(base) * adx;
        int32_t yy = y0, err = 0;
        const int32_t stop = std::min<int32_t>(x1, static_cast<int32_t>(n));
        if (x0 < stop) v[x0] *= gain(yy);
        for (int32_t x = x0 + 1; x < stop; ++x) {
            err += ady;
            if (err >= adx) {
                err -= adx;
                yy += sy;
            } else {
                yy += base;
            }
            v[x] *= gain(yy);
        }
    };
    int32_t lx = 0, ly = y[floor.sorted[0]] * multiplier;
    for (size_t i = 1; i < floor.sorted.size(); ++i) {
        const uint32_t index = floor.sorted[i];
        if (!step2[index]) continue;
        const int32_t hx = floor.x[index], hy = y[index] * multiplier;
        line(lx, ly, hx, hy);
        lx = hx;
        ly = hy;
    }
    for (uint32_t x = static_cast<uint32_t>(lx); x < n; ++x) v[x] *= gain(ly);
}

void SxVorbisDecoder::DecodeResidue(SxVorbisBits& bits, const SxVorbisResidue& residue, float** vectors,
                                    const bool* skip, uint32_t count, uint32_t n) {
    const SxVorbisSetup& setup = *m_setup;
    bool anyDecoded = false;
    for (uint32_t c = 0; c < count; ++c) anyDecoded |= !skip[c];
    if (!anyDecoded || count == 0) return;
    const bool interleaved = residue.type == 2;
    const uint32_t vectorsToRead = interleaved ? 1 : count;
    const uint32_t size = interleaved ? n * count : n;
    const uint32_t end = std::min(residue.end, size);
    const uint32_t begin = std::min(residue.begin, end);
    const uint32_t partitions = (end - begin) / residue.partitionSize;
    if (partitions == 0) return;
    const SxVorbisCodebook& classbook = setup.codebooks[residue.classbook];
    const uint32_t perWord = classbook.Dimensions();
    const size_t stride = m_classes.size() / m_channels;
    auto add = [&](uint32_t vector, uint32_t position, float value) {
        if (interleaved)
            vectors[position % count][position / count] += value;
        else
            vectors[vector][position] += value;
    };
    for (uint32_t pass = 0; pass < 8; ++pass) {
        uint32_t partition = 0;
        while (partition < partitions) {
            if (pass == 0) {
                for (uint32_t j = 0; j < vectorsToRead; ++j) {
                    if (!interleaved && skip[j]) continue;
                    int32_t word = classbook.DecodeScalar(bits);
                    if (word < 0) return;
                    for (uint32_t i = perWord; i-- > 0;) {
                        if (partition + i < partitions && partition + i < stride)
                            m_classes[j * stride + partition + i] =
                                static_cast<uint8_t>(word % residue.classifications);
                        word /= static_cast<int32_t>(residue.classifications);
                    }
                }
            }
            for (uint32_t i = 0; i < perWord && partition < partitions; ++i, ++partition) {
                for (uint32_t j = 0; j < vectorsToRead; ++j) {
                    if (!interleaved && skip[j]) continue;
                    const int32_t bookIndex = residue.books[m_classes[j * stride + partition]][pass];
                    if (bookIndex < 0) continue;
                    const SxVorbisCodebook& book = setup.codebooks[bookIndex];
                    const uint32_t dims = book.Dimensions();
                    const uint32_t offset = begin + partition * residue.partitionSize;
                    if (residue.type == 0) {
                        const uint32_t step = residue.partitionSize / dims;
                        for (uint32_t k = 0; k < step; ++k) {
                            const float* entry = book.DecodeVector(bits);
                            if (!entry) return;
                            for (uint32_t d = 0; d < dims; ++d) add(j, offset + k + d * step, entry[d]);
                        }
                    } else if (interleaved) {
                        // Walk the interleaved vector by channel and index instead of dividing.
                        uint32_t channel = offset % count, index = offset / count;
                        for (uint32_t k = 0; k + dims <= residue.partitionSize; k += dims) {
                            const float* entry = book.DecodeVector(bits);
                            if (!entry) return;
                            for (uint32_t d = 0; d < dims; ++d) {
                                vectors[channel][index] += entry[d];
                                if (++channel == count) {
                                    channel = 0;
                                    ++index;
                                }
                            }
                        }
                    } else {
                        float* v = vectors[j] + offset;
                        for (uint32_t k = 0; k + dims <= residue.partitionSize; k += dims) {
                            const float* entry = book.DecodeVector(bits);
                            if (!entry) return;
                            for (uint32_t d = 0; d < dims; ++d) v[k + d] += entry[d];
                        }
                    }
                }
            }
        }
    }
}

// The transform's core, a DCT-IV of size n / 2 done through a complex FFT of size n / 4;
// the unfolding into the full block is done by the output through the block's symmetries. The
// FFT's values are kept as two arrays, real and imaginary parts, so that each stage's
// butterflies run as plain loops the compiler vectorises.
void SxVorbisDecoder::InverseTransform(float* data, uint32_t flag) {
    const SxVorbisSetup& setup = *m_setup;
    const uint32_t half = setup.blockSize[flag] / 2, quarter = half / 2;
    const std::complex<float>* pre = setup.preTwiddle[flag].data();
    const std::complex<float>* post = setup.postTwiddle[flag].data();
    const uint32_t* reverse = setup.bitReverse[flag].data();
    float* __restrict re = m_fftRe.data();
    float* __restrict im = m_fftIm.data();
    for (uint32_t j = 0; j < quarter; ++j) {
        const float a = data[2 * j], b = data[half - 1 - 2 * j];
        re[reverse[j]] = a * pre[j].real() - b * pre[j].imag();
        im[reverse[j]] = a * pre[j].imag() + b * pre[j].real();
    }
    // The stages of length 2 and 4 together: their twiddles are 1 and -i.
    for (uint32_t base = 0; base < quarter; base += 4) {
        float* r = re + base;
        float* i = im + base;
        const float r0 = r[0] + r[1], i0 = i[0] + i[1], r1 = r[0] - r[1], i1 = i[0] - i[1];
        const float r2 = r[2] + r[3], i2 = i[2] + i[3], r3 = r[2] - r[3], i3 = i[2] - i[3];
        r[0] = r0 + r2, i[0] = i0 + i2, r[2] = r0 - r2, i[2] = i0 - i2;
        r[1] = r1 + i3, i[1] = i1 - r3, r[3] = r1 - i3, i[3] = i1 + r3;
    }
    const float* twiddleRe = setup.stageTwiddleRe[flag].data();
    const float* twiddleIm = setup.stageTwiddleIm[flag].data();
    for (uint32_t h = 4; h < quarter; h *= 2) {
        for (uint32_t base = 0; base < quarter; base += 2 * h)
            Butterflies(re + base, im + base, re + base + h, im + base + h, twiddleRe, twiddleIm, h);
        twiddleRe += h;
        twiddleIm += h;
    }
    for (uint32_t k = 0; k < quarter; ++k) {
        data[2 * k] = re[k] * post[k].real() - im[k] * post[k].imag();
        data[half - 1 - 2 * k] = -(re[k] * post[k].imag() + im[k] * post[k].real());
    }
}

void SxVorbisDecoder::Output(uint32_t flag, uint32_t start, uint32_t end) {
    const SxVorbisSetup& setup = *m_setup;
    const uint32_t current = setup.blockSize[flag];
    const uint32_t previous = setup.blockSize[m_previousFlag];
    const uint32_t longHalf = setup.blockSize[1] / 2, longQuarter = setup.blockSize[1] / 4;
    const uint32_t overlapFlag = std::min(flag, m_previousFlag);
    const std::vector<float>& window = setup.window[overlapFlag];
    const int32_t overlap = static_cast<int32_t>(setup.blockSize[overlapFlag] / 2);
    const int32_t slopeStart = static_cast<int32_t>(current / 4) - overlap / 2;
    const int32_t shift = static_cast<int32_t>(current / 4 - previous / 4);  // the packet's first frame, in block
    const uint8_t* order = ChannelOrder(m_channels);
    m_pendingStart = m_pendingEnd = 0;
    if (!m_first && end > start) {
        // Frame p's place in the overlap: before the slope the previous block alone, on it the
        // two blended, after it this block alone. Each part runs as a loop of its own.
        const auto at = [&](int32_t j) {
            const int64_t p = int64_t{j} + slopeStart - shift;
            return static_cast<uint32_t>(std::clamp<int64_t>(p, start, end));
        };
        const uint32_t slopeBegin = at(0), slopeEnd = at(overlap);
        for (uint32_t o = 0; o < m_channels; ++o) {
            const uint32_t c = order[o];
            const float* u = &m_work[size_t(c) * longHalf];
            const float* up = &m_overlap[size_t(c) * longQuarter];
            int16_t* out = &m_pending[o];
            const auto cur = [&](uint32_t p) {
                const uint32_t m = static_cast<uint32_t>(shift + static_cast<int32_t>(p)) + current / 4;
                return m < current / 2 ? u[m] : -u[current - 1 - m];
            };
            const auto prev = [&](uint32_t p) {
                return p < previous / 4 ? -up[previous / 4 - 1 - p] : -up[p - previous / 4];
            };
            for (uint32_t p = start; p < slopeBegin; ++p) out[size_t(p - start) * m_channels] = To16(prev(p));
            for (uint32_t p = slopeBegin; p < slopeEnd; ++p) {
                const int32_t j = shift + static_cast<int32_t>(p) - slopeStart;
                out[size_t(p - start) * m_channels] = To16(cur(p) * window[j] + prev(p) * window[overlap - 1 - j]);
            }
            for (uint32_t p = slopeEnd; p < end; ++p) out[size_t(p - start) * m_channels] = To16(cur(p));
        }
        m_pendingEnd = end - start;
    }
    for (uint32_t c = 0; c < m_channels; ++c)
        std::memcpy(&m_overlap[size_t(c) * longQuarter], &m_work[size_t(c) * longHalf], current / 4 * sizeof(float));
}

}  // namespace SX
