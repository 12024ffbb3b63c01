#pragma once

#include <span>
#include <vector>

// Something an event loop serves by watching descriptors: the control socket's server, the MQTT
// client. The loop asks which descriptors to watch after every call, because serving may open,
// close or replace them.
class CWatchedSource
{
public:
    virtual ~CWatchedSource() = default;

    // The descriptors to watch for reading now.
    virtual std::vector<int> GetWatchedDescriptors() const = 0;
    virtual void OnReadable(int nDescriptor) = 0;
    // The descriptors holding output their peer has not taken yet.
    virtual std::vector<int> GetWritingDescriptors() const = 0;
    virtual void OnWritable(int nDescriptor) = 0;
};

// For a loop without its own event dispatcher: waits up to nMilliseconds for any of the
// sources' descriptors and serves those that are ready.
void ServeSources(std::span<CWatchedSource* const> sources, int nMilliseconds);
