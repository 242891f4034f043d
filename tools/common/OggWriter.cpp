#include "OggWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <vorbis/vorbisenc.h>

namespace tools {

namespace {

bool writePage(std::FILE* file, const ogg_page& page) {
    return std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), file) ==
               static_cast<std::size_t>(page.header_len) &&
           std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), file) ==
               static_cast<std::size_t>(page.body_len);
}

}  // namespace

bool writeOggVorbis(const std::string& path, const std::vector<float>& interleaved, int channels,
                    int sampleRate, float quality) {
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        std::perror(temporary.c_str());
        return false;
    }

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, sampleRate, quality) != 0) {
        std::fprintf(stderr, "%s: vorbis encoder refused the settings\n", path.c_str());
        vorbis_info_clear(&info);
        std::fclose(file);
        std::remove(temporary.c_str());
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "ENCODER", "salute tools");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x5a1e7e);

    bool ok = true;
    {
        ogg_packet header, commentPacket, codePacket;
        vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codePacket);
        ogg_stream_packetin(&stream, &header);
        ogg_stream_packetin(&stream, &commentPacket);
        ogg_stream_packetin(&stream, &codePacket);
        ogg_page page;
        while (ogg_stream_flush(&stream, &page) != 0) ok = ok && writePage(file, page);
    }

    const long frames = static_cast<long>(interleaved.size() / static_cast<std::size_t>(channels));
    const long chunk = 4096;
    bool endOfStream = false;
    for (long start = 0; !endOfStream;) {
        const long count = start < frames ? std::min(chunk, frames - start) : 0;
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (long i = 0; i < count; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = interleaved[static_cast<std::size_t>((start + i) * channels + c)];
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            start += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);  // end of stream
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    ok = ok && writePage(file, page);
                    if (ogg_page_eos(&page)) endOfStream = true;
                }
            }
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    ok = (std::fclose(file) == 0) && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "%s: write failed\n", path.c_str());
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace tools
