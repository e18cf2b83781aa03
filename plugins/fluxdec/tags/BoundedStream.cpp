#include "plugins/fluxdec/tags/BoundedStream.h"

namespace fluxdec {

BoundedStream::BoundedStream(TagLib::IOStream* inner, unsigned long byteBudget,
                             unsigned int readBudget)
    : inner_(inner), bytesLeft_(byteBudget), readsLeft_(readBudget) {}

TagLib::FileName BoundedStream::name() const { return inner_->name(); }

TagLib::ByteVector BoundedStream::readBlock(unsigned long length) {
    if (readsLeft_ == 0 || bytesLeft_ == 0) return TagLib::ByteVector();
    --readsLeft_;
    if (length > bytesLeft_) length = bytesLeft_;
    TagLib::ByteVector block = inner_->readBlock(length);
    bytesLeft_ -= block.size();
    return block;
}

bool BoundedStream::isOpen() const { return inner_->isOpen(); }
void BoundedStream::seek(long offset, Position p) { inner_->seek(offset, p); }
void BoundedStream::clear() { inner_->clear(); }
long BoundedStream::tell() const { return inner_->tell(); }
long BoundedStream::length() { return inner_->length(); }

}  // namespace fluxdec
