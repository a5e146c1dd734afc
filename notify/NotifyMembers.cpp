#include "notify/NotifyMembers.h"

int MessageTypeOfCategory(int category)
{
    switch (category) {
    case 1:
        return kMessageTypeSystem;
    case 2:
        return kMessageTypeActivity;
    default:
        return kMessageTypeUser;
    }
}
