#pragma once

// The cellular check of the download policy, asked afresh at every add and resume.
class ALNetwork {
public:
    ALNetwork() = delete;

    // The general internet route goes over the cellular network (status 1).
    static bool connectedVia3G();
    // The general internet route goes over Wi-Fi or a wired link (status 2).
    static bool connectedViaWiFi();
};
