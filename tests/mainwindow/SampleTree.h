// A small item tree with one item of every class the main window tells apart, built by hand.
#pragma once

#include "model/UItem.h"

#include <memory>

struct TSampleTree {
    std::unique_ptr<model::TRootItem> root = std::make_unique<model::TRootItem>("My Tessalundrix");
    model::TComputerRootItem* computer = root->EnsureComputerRoot();
    model::TNetworkRootItem* network = root->EnsureNetworkRoot();
    model::TPreferredRootItem* preferredRoot = root->EnsurePreferredRoot();
    model::TManualRootItem* manualRoot = root->EnsureManualRoot();
    model::TLoadedRootItem* loaded = nullptr;
    model::TDriveItem* drive = nullptr;        // not explored, holds the explored folder a
    model::TFolderItem* folderA = nullptr;     // explored, holds f.txt (10 bytes)
    model::TFolderItem* folderB = nullptr;     // not explored
    model::TFolderItem* mountFolder = nullptr; // explored, another file system is mounted here
    model::TFileItem* file = nullptr;
    model::TFileItem* file2 = nullptr;
    model::TNetworkContainerItem* server = nullptr;
    model::TNetworkDriveItem* share = nullptr; // explored
    model::TManualItem* manualItem = nullptr;
    model::TManualDriveItem* manualDrive = nullptr;
    model::TPreferredItem* preferredItem = nullptr;
    model::TPreferredDriveItem* preferredDrive = nullptr;

    TSampleTree() {
        using namespace model;
        drive = Add(computer, new TDriveItem("/mnt/x", kKindFixed, computer));
        folderA = Add(drive, new TFolderItem("a", drive));
        folderA->SetExplored(true);
        folderA->SetListed(true);
        file = Add(folderA, new TFileItem("f.txt", folderA));
        file->SetSize(10);
        file2 = Add(folderA, new TFileItem("g.txt", folderA));
        file2->SetSize(5);
        folderB = Add(drive, new TFolderItem("b", drive));
        mountFolder = Add(folderA, new TFolderItem("mnt", folderA));
        mountFolder->SetExplored(true);
        server = Add(network, new TNetworkContainerItem("srv", "//srv", network));
        share = Add(server, new TNetworkDriveItem("//srv/share", "/mnt/share", server));
        share->SetExplored(true);
        preferredItem = Add(preferredRoot, new TPreferredItem("/data/", kKindFixed, preferredRoot));
        preferredItem->SetExploreAtStart(true);
        preferredDrive = Add(preferredRoot, new TPreferredDriveItem("/mnt/p", kKindFixed, preferredRoot));
        manualItem = Add(manualRoot, new TManualItem("/work/", kKindFixed, manualRoot));
        manualDrive = Add(manualRoot, new TManualDriveItem("/mnt/m", kKindFixed, manualRoot));
        loaded = Add(root.get(), new TLoadedRootItem("Loaded", root.get()));
        root->ComputeTotals();
    }

    template <typename T> static T* Add(model::TFolderItem* parent, T* child) {
        parent->AddChild(child);
        return child;
    }
};
