// A read-only view of a TagLib stream that stops giving bytes once a budget is spent.
//
// TagLib reads what a tag claims: a header that claims 200 MB makes it read 200 MB (seconds on a
// large file), and a chain of tiny tag headers makes it read ten bytes at a time through the
// whole file. Through this view every read counts against a budget of bytes and of calls; once
// either is spent, reads give nothing, which TagLib takes as the end of the file. Real tags need
// a handful of reads and, even with cover art, a few megabytes.
#pragma once

#include <taglib/tiostream.h>

namespace fluxdec {

class BoundedStream : public TagLib::IOStream {
public:
    BoundedStream(TagLib::IOStream* inner, unsigned long byteBudget, unsigned int readBudget);

    TagLib::FileName name() const override;
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override;
    void seek(long offset, Position p) override;
    void clear() override;
    long tell() const override;
    long length() override;
    void truncate(long) override {}

private:
    TagLib::IOStream* inner_;  // borrowed
    unsigned long bytesLeft_;
    unsigned int readsLeft_;
};

}  // namespace fluxdec
