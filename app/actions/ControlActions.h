#pragma once

// What other pages may ask of the device-control side of the device page
// (players, synchronised control, reboot, reset, uploads).
class IControlActions {
public:
    virtual ~IControlActions() = default;
    // Closes every open player and the synchronised-control program.
    virtual void CloseAllPlayers() = 0;
    // Closes every open player; the synchronised-control program stays.
    virtual void ClosePlayers() = 0;
};
