#pragma once
// An entry of the contacts folder. Every text may be empty; a text the store does not
// have reads as empty.
#include "data/pim/ovPimItem.h"

#include <string>
#include <string_view>

class ovPimContact final : public ovPimItem {
public:
    static constexpr ovPimItemType kind = ovPimItemType::contact;

    ovPimContact() = default;
    explicit ovPimContact(std::weak_ptr<ovPimStore> store) : ovPimItem(std::move(store)) {}

    ovPimItemType itemType() const override { return kind; }
    std::unique_ptr<ovPimItem> clone() const override { return std::make_unique<ovPimContact>(*this); }

    // The name the contact is filed and listed under.
    const std::u16string& fileAs() const { return fileAs_; }
    const std::u16string& firstName() const { return firstName_; }
    const std::u16string& homeTelephoneNumber() const { return home_; }
    const std::u16string& mobileTelephoneNumber() const { return mobile_; }
    const std::u16string& businessTelephoneNumber() const { return business_; }
    const std::u16string& businessFaxNumber() const { return businessFax_; }
    const std::u16string& email1Address() const { return email1_; }

    void setFileAs(std::u16string_view text) { fileAs_ = text; }
    void setFirstName(std::u16string_view text) { firstName_ = text; }
    void setHomeTelephoneNumber(std::u16string_view text) { home_ = text; }
    void setMobileTelephoneNumber(std::u16string_view text) { mobile_ = text; }
    void setBusinessTelephoneNumber(std::u16string_view text) { business_ = text; }
    void setBusinessFaxNumber(std::u16string_view text) { businessFax_ = text; }
    void setEmail1Address(std::u16string_view text) { email1_ = text; }

protected:
    ovResult<> saveTo(ovPimStore& store) override;

private:
    friend class ovPimStore;
    std::u16string fileAs_;
    std::u16string firstName_;
    std::u16string home_;
    std::u16string mobile_;
    std::u16string business_;
    std::u16string businessFax_;
    std::u16string email1_;
};
