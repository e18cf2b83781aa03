// One frame through the whole pipeline in the standard's order:
// header, CRC word, side information, reservoir step; then per granule the scale factors and
// Huffman lines of each channel, requantisation and joint stereo, alias reduction, the hybrid
// filter bank and the polyphase synthesis into the caller's PCM buffer.
#include <cstring>

#include "plugins/fluxdec/core/SimdStages.h"
#include "plugins/fluxdec/core/Stages.h"
#include "plugins/fluxdec/core/Tables.h"

namespace fluxdec {

const char* StatusText(Status s) {
    switch (s) {
        case Status::kFrame: return "frame";
        case Status::kFrameSilent: return "frame skipped by the reservoir (silence)";
        case Status::kEndOfStream: return "end of stream";
        case Status::kNoSync: return "no frame sync";
        case Status::kBadHeader: return "unsupported frame header";
        case Status::kTruncated: return "frame cut short by the end of input";
    }
    return "?";
}

void InitDecoder(Decoder* d, ReadFn read, void* context) {
    std::memset(d, 0, sizeof *d);
    d->reader.read = read;
    d->reader.context = context;
    d->avx2 = SelectedSimdPath() == SimdPath::kAvx2;
}

static Status End(Decoder* d, Status s) {
    d->reader.ended = int32_t(s);
    return s;
}

// The last nonzero line's subband + 1 (0 for an all-zero spectrum).
static int NonzeroSubbands(const float* x) {
    int i = 575;
    while (i >= 0 && x[i] == 0.0f) --i;
    return i < 0 ? 0 : i / 18 + 1;
}

// Left and right samples side by side. Written as the plain loop that the compiler turns into
// vector unpacks.
static void Interleave(const int16_t* left, const int16_t* right, int16_t* out, int n) {
    for (int i = 0; i < n; ++i) {
        out[2 * i] = left[i];
        out[2 * i + 1] = right[i];
    }
}

static void DecodeGranule(Decoder* d, BitReader* br, int gr, int16_t* pcm) {
    const FrameHeader& h = d->header;
    const int channels = ChannelCount(h);
    for (int ch = 0; ch < channels; ++ch) {
        const GranuleInfo& g = d->side.granule[gr][ch];
        if (br->pos > br->limit) {  // an earlier part2_3_length ran past the data
            br->pos = br->limit;
            d->faults |= kFaultMainDataOverrun;
        }
        const uint32_t part2Start = br->pos;
        const int part2 = ReadScaleFactors(d, br, gr, ch);
        if (part2 > g.part23Length) d->faults |= kFaultPart2Length;
        DecodeHuffman(d, br, gr, ch, part2Start);
    }
    for (int ch = 0; ch < channels; ++ch) Requantise(d, gr, ch);
    if (channels == 2 && h.mode == 1 && h.modeExtension != 0) JointStereo(d, gr);
    for (int ch = 0; ch < channels; ++ch) {
        const GranuleInfo& g = d->side.granule[gr][ch];
        float* x = d->spectrum[ch];
        int subbands = NonzeroSubbands(x);
        const int boundaries = AliasBoundaries(g, subbands);
        if (boundaries > 0) {
            ReduceAliases(x, boundaries);
            // The butterflies carry lines into the next subband: transform it too. Together with
            // passing the overlap of the all-zero subbands above, this is exactly the transform of
            // all 32 subbands.
            if (boundaries == subbands && subbands < 32) ++subbands;
        }
        HybridFilterBank(d, gr, ch, subbands);
        // Each channel's slots go out whole; two channels are interleaved afterwards.
        int16_t* out = channels == 1 ? pcm + gr * 576 : d->channelPcm[ch];
#ifdef FLUXDEC_HAVE_AVX2
        if (d->avx2) {
            SynthesiseGranuleAvx2(&d->channel[ch], d->hybrid, out, 1);
            continue;
        }
#endif
        SynthesiseGranule(&d->channel[ch], d->hybrid, out, 1);
    }
    if (channels == 2) Interleave(d->channelPcm[0], d->channelPcm[1], pcm + gr * 1152, 576);
}

Status DecodeFrame(Decoder* d, int16_t pcm[kMaxFrameSamples], FrameInfo* info) {
    StreamReader* r = &d->reader;
    if (r->ended) return Status(r->ended);
    if (!r->read) return End(d, Status::kEndOfStream);

    // The next frame: behind any ID3v2 tags, and past junk (FrameSync.cpp).
    FrameHeader h;
    const Status s = NextFrame(r, &h);
    if (s != Status::kFrame) return End(d, s);
    // After a cut frame or a joined song's tag, nothing before the frame belongs to it: neither
    // main data nor the filter bank's memory.
    if (r->frameFlags & kSyncRestart) {
        r->bytesAppended = 0;
        std::memset(d->channel, 0, sizeof d->channel);
    }
    d->header = h;
    d->faults = 0;

    if (h.protectionBit == 0 && !ReadExact(r, r->headerBytes, 2)) return End(d, Status::kTruncated);
    const int sideBytes = SideInfoBytes(h);
    std::memset(r->headerBytes, 0, sizeof r->headerBytes);
    if (!ReadExact(r, r->headerBytes, sideBytes)) return End(d, Status::kTruncated);
    ParseSideInfo(r->headerBytes, h, &d->side, &d->faults);

    const int mainBytes = MainDataBytes(h);
    if (mainBytes < 0) return End(d, Status::kBadHeader);  // no legal header gets here
    const int step = ReservoirStep(r, d->side.mainDataBegin, mainBytes);
    if (step < 0) return End(d, Status::kTruncated);

    const int channels = ChannelCount(h);
    const int granules = GranuleCount(h);
    info->mpegId = h.mpeg25 ? 2 : h.id;
    info->sampleRate = SampleRateHz(h);
    info->channels = channels;
    info->samplesPerChannel = granules * 576;
    info->bitrateKbps = BitrateKbps(h);
    info->frameBytes = FrameLengthBytes(h) + h.paddingBit;
    info->mode = h.mode;
    info->modeExtension = h.modeExtension;
    info->frameIndex = r->frameIndex++;

    const uint32_t syncFaults = r->frameFlags & kSyncSkipped ? uint32_t(kFaultResync) : 0u;
    if (step == 0) {  // a skipped frame is silence, never stale PCM
        std::memset(pcm, 0, sizeof(int16_t) * size_t(info->samplesPerChannel * channels));
        info->faults = syncFaults;
        return Status::kFrameSilent;
    }
    BitReader br{r->mainData, 0, uint32_t(r->mainDataBits)};
    for (int gr = 0; gr < granules; ++gr) DecodeGranule(d, &br, gr, pcm);
    info->faults = d->faults | syncFaults;
    return Status::kFrame;
}

}  // namespace fluxdec
