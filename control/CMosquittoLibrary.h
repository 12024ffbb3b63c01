#pragma once

#include <mosquitto.h>

#include <string>

// The calls Quorbit makes into libmosquitto, as pairs of the member that holds one and the
// library's name for it.
#define QUORBIT_MOSQUITTO_CALLS(X)                                                                 \
    X(LibInit, mosquitto_lib_init)                                                                 \
    X(New, mosquitto_new)                                                                          \
    X(Destroy, mosquitto_destroy)                                                                  \
    X(IntOption, mosquitto_int_option)                                                             \
    X(ConnectCallbackSet, mosquitto_connect_callback_set)                                          \
    X(DisconnectCallbackSet, mosquitto_disconnect_callback_set)                                    \
    X(MessageV5CallbackSet, mosquitto_message_v5_callback_set)                                     \
    X(SubscribeCallbackSet, mosquitto_subscribe_callback_set)                                      \
    X(PublishV5CallbackSet, mosquitto_publish_v5_callback_set)                                     \
    X(LogCallbackSet, mosquitto_log_callback_set)                                                  \
    X(WillSet, mosquitto_will_set)                                                                 \
    X(UsernamePwSet, mosquitto_username_pw_set)                                                    \
    X(TlsSet, mosquitto_tls_set)                                                                   \
    X(ConnectAsync, mosquitto_connect_async)                                                       \
    X(Loop, mosquitto_loop)                                                                        \
    X(ReconnectAsync, mosquitto_reconnect_async)                                                   \
    X(Disconnect, mosquitto_disconnect)                                                            \
    X(Socket, mosquitto_socket)                                                                    \
    X(WantWrite, mosquitto_want_write)                                                             \
    X(LoopRead, mosquitto_loop_read)                                                               \
    X(LoopWrite, mosquitto_loop_write)                                                             \
    X(LoopMisc, mosquitto_loop_misc)                                                               \
    X(Publish, mosquitto_publish)                                                                  \
    X(PublishV5, mosquitto_publish_v5)                                                             \
    X(SubscribeV5, mosquitto_subscribe_v5)                                                         \
    X(PropertyAddStringPair, mosquitto_property_add_string_pair)                                   \
    X(PropertyReadStringPair, mosquitto_property_read_string_pair)                                 \
    X(PropertyFreeAll, mosquitto_property_free_all)                                                \
    X(Strerror, mosquitto_strerror)                                                                \
    X(ReasonString, mosquitto_reason_string)

// libmosquitto, loaded when MQTT starts instead of with the program: the library and the
// OpenSSL it brings cost every command milliseconds of loading, and only MQTT uses them. It is
// never unloaded, as OpenSSL does not take that well.
class CMosquittoLibrary
{
public:
    // The file the Debian package libmosquitto1 installs.
    static constexpr const char* kFileName = "libmosquitto.so.1";

    // The library, loaded and set up by the first call; null when it cannot be, with
    // strError saying why (the same each time).
    static const CMosquittoLibrary* Get(std::string& strError);
    // Loads pszFile and finds every call in it; false, with strError naming the file and the
    // reason, when it cannot. Get loads kFileName through it.
    bool Load(const char* pszFile, std::string& strError);

    // A result in words, without the library's full stop, as the reason goes on within a
    // sentence.
    std::string DescribeResult(int nResult) const;

#define QUORBIT_MOSQUITTO_MEMBER(Name, symbol) decltype(&::symbol) m_pfn##Name = nullptr;
    QUORBIT_MOSQUITTO_CALLS(QUORBIT_MOSQUITTO_MEMBER)
#undef QUORBIT_MOSQUITTO_MEMBER
};
